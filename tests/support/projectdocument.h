#ifndef PROJECTDOCUMENT_H
#define PROJECTDOCUMENT_H

#include <QBuffer>
#include <QByteArray>
#include <QPair>
#include <QStringList>
#include <QVector>
#include <QXmlStreamWriter>

// Builds project documents in the writer's layout, independently of XmlIO,
// so that the reader can be tested on exact, hand-made content: items with
// chosen values, missing fields, fields in another order, foreign tags.
class ProjectDocument
{
public:
    struct Item
    {
        QString tag;
        bool attributes = true; // attribute-style, else one text child per field
        QVector<QPair<QString, QString>> fields;

        int indexOf(const QString& name) const
        {
            for (int i = 0; i < fields.size(); ++i) {
                if (fields.at(i).first == name)
                    return i;
            }
            return -1;
        }
        Item without(const QString& name) const
        {
            Item copy = *this;
            copy.fields.remove(indexOf(name));
            return copy;
        }
        Item with(const QString& name, const QString& value) const
        {
            Item copy = *this;
            const int i = indexOf(name);
            if (i < 0)
                copy.fields.append({name, value});
            else
                copy.fields[i].second = value;
            return copy;
        }
        Item swapped(int a, int b) const
        {
            Item copy = *this;
            std::swap(copy.fields[a], copy.fields[b]);
            return copy;
        }
        Item truncatedAfter(const QString& name) const
        {
            Item copy = *this;
            copy.fields.resize(indexOf(name) + 1);
            return copy;
        }
    };

    QString treeText = QStringLiteral("\r\nP\r\n");
    QVector<Item> items;

    ProjectDocument& add(const Item& item)
    {
        items.append(item);
        return *this;
    }

    QByteArray toXml() const
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QXmlStreamWriter w(&buffer);
        w.setAutoFormatting(true);
        w.writeStartDocument();
        w.writeStartElement(QStringLiteral("VornProject"));
        w.writeTextElement(QStringLiteral("ProjectFiles"), treeText);
        w.writeStartElement(QStringLiteral("SceneData"));
        w.writeAttribute(QStringLiteral("version"), QStringLiteral("v1.0"));
        w.writeStartElement(QStringLiteral("GraphicsItemList"));
        for (const Item& item : items) {
            w.writeStartElement(item.tag);
            for (const auto& field : item.fields) {
                if (item.attributes)
                    w.writeAttribute(field.first, field.second);
                else
                    w.writeTextElement(field.first, field.second);
            }
            w.writeEndElement();
        }
        w.writeEndDocument();
        return buffer.data();
    }

    static Item process()
    {
        return {QStringLiteral("Process"), true,
                {{"level", "2"}, {"Nos", "3"}, {"id", "2"}, {"label", "Hardware <&> \"Module\""},
                 {"parentId", "1"}, {"grandParentId", "1"}, {"xCoord", "310.5"},
                 {"yCoord", "-20"}, {"width", "300"}, {"height", "250"}, {"shape", "2"},
                 {"code", "int a;\nint b;"}, {"description", "line 1\r\nline 2"},
                 {"backgroundColour", "#FEC309"}, {"polygon", "0,0,300,0,300,250,0,250,0,0"}}};
    }
    static Item link()
    {
        return {QStringLiteral("Link"), true,
                {{"level", "4"}, {"parentId", "1"}, {"grandParentId", "1"}, {"xCoord", "1234.57"},
                 {"yCoord", "1e+06"}, {"label", "busLink"}, {"description", "d"},
                 {"datatype", "uint8_t"}, {"startItem", "SW_A"}, {"endItem", "SW_B"},
                 {"backgroundColour", "#80ff00"}, {"polygon", "0,0,100,0,100,21,0,21,0,0"}}};
    }
    static Item memory()
    {
        return {QStringLiteral("Memory"), true,
                {{"level", "5"}, {"parentId", "2"}, {"grandParentId", "1"}, {"xCoord", "40"},
                 {"yCoord", "50"}, {"label", "counter"}, {"description", "counts"},
                 {"datatype", "int"}, {"backgroundColour", "#00aaff"},
                 {"polygon", "0,0,100,0,100,64,0,64,0,0"}}};
    }
    static Item dataflow()
    {
        return {QStringLiteral("Dataflow"), true,
                {{"level", "5"}, {"parentId", "2"}, {"grandParentId", "1"}, {"lineType", "2"},
                 {"xCoord", "70"}, {"yCoord", "80"}, {"label", "counter"}, {"description", ""},
                 {"datatype", "int"}, {"startItem", "counter"}, {"endItem", "Machine"},
                 {"backgroundColour", "#123456"}, {"polygon", "0,0,100,0,100,21,0,21,0,0"}}};
    }
    static Item state()
    {
        return {QStringLiteral("StateItem"), false,
                {{"level", "6"}, {"parentId", "1"}, {"grandParentId", "1"}, {"label", "Idle"},
                 {"ifInitialState", "1"}, {"initialCondition", "x > 0"},
                 {"initialDescription", "init();"}, {"xCoord", "200"}, {"yCoord", "400"},
                 {"width", "280"}, {"height", "150"}, {"backgroundColour", "#e5e7e9"},
                 {"polygon", "0,0,280,0,280,150,0,150,0,0"}, {"action", "run();"},
                 {"description", "waits"}, {"numberOfTI", "2"}, {"transitions", "Go,Back"}}};
    }
    static Item transition()
    {
        return {QStringLiteral("TransitionItem"), false,
                {{"level", "6"}, {"parentId", "1"}, {"grandParentId", "1"}, {"label", "Go"},
                 {"condition", "a && b"}, {"backgroundColour", "#E5E7E9"}, {"xCoord", "650"},
                 {"yCoord", "651.25"}, {"midPos", "700,700"}, {"width", "150"}, {"height", "75"},
                 {"polygon", "0,0,150,0,150,75,0,75,0,0"}, {"startItem", "Idle"},
                 {"endItem", "Busy"}, {"description", "goes"}, {"action", "go();"}}};
    }
    static Item text()
    {
        return {QStringLiteral("TextItem"), false,
                {{"level", "6"}, {"parentId", "1"}, {"grandParentId", "1"}, {"xCoord", "10"},
                 {"yCoord", "20"}, {"width", "150"}, {"height", "75"}, {"type", "1"},
                 {"backgroundColour", "#ffffff"}, {"textColour", "#0000ff"},
                 {"polygon", "0,0,150,0,150,75,0,75,0,0"}, {"action", "#include <stdio.h>"}}};
    }
    static QVector<Item> kinds()
    {
        return {process(), link(), memory(), dataflow(), state(), transition(), text()};
    }
};

#endif // PROJECTDOCUMENT_H
