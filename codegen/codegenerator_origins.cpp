// Where the generated text comes from: the stretches of the files that
// each element of the diagram wrote, so that a compiler's message about a
// line can name the state, transition or text item behind it.

#include "codegenerator.h"

#include "projectnode.h"

QVector<CodeGenerator::Origin> CodeGenerator::textOrigins(int start, int type) const
{
    QVector<Origin> origins {{0, 0}};
    int at = start;
    for (const TextElement& item : texts()) {
        if (item.type != type)
            continue;
        origins.append({at, item.id});
        at += item.text.size() + 1;
    }
    origins.append({at, 0});
    return origins;
}

void CodeGenerator::traceSourceOrigins(int macros, int code, const QStringList& pieces)
{
    sourceOriginList = textOrigins(macros, TextElement::Defines);
    sourceOriginList += textOrigins(code, TextElement::Default).mid(1);
    // The initial function does what the initial state's incoming
    // transition says.
    ElementId initial = 0;
    for (const StateElement& state : states())
        initial = state.initial && !initial ? state.id : initial;
    int at = pieces.at(0).size() + pieces.at(1).size() + pieces.at(2).size();
    sourceOriginList.append({at, initial});
    at += pieces.at(3).size();
    sourceOriginList.append({at, 0});
    at += pieces.at(4).size();
    for (int i = 0; i < stateCodeVector.size(); ++i) {
        for (const Origin& origin : stateCodeOrigins.value(i))
            sourceOriginList.append({at + origin.first, origin.second});
        at += stateCodeVector.at(i).size();
        sourceOriginList.append({at, 0});
        at += pieces.at(6 + 2 * i).size();
    }
}
