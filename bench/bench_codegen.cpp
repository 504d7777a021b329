// Code generation for state machines of growing size: every state has three
// outgoing transitions. Generation must grow linearly with the machine, so
// the time per state should stay flat from row to row.
//
//   bench_codegen [--repeat N] [states ...]      default states: 100 1000 10000

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <functional>
#include <cstdio>
#include <memory>

#include "codegenerator.h"
#include "statemachinefixture.h"

namespace {

// S0 is initial; state i leads to i+1, i+2 and halfway round the ring.
void build(StateMachineFixture& f, int states)
{
    QVector<ElementId> all;
    all.reserve(states);
    all.append(f.addInitialState(QStringLiteral("S0"), QStringLiteral("(1)"), QStringLiteral("reset();"),
                                 QStringLiteral("work(0);"), QStringLiteral("state 0")));
    for (int i = 1; i < states; ++i) {
        all.append(f.addState(QStringLiteral("S%1").arg(i), QStringLiteral("work(%1);\nlog(%1);").arg(i),
                              QStringLiteral("state %1").arg(i)));
    }
    const int targets[3] = {1, 2, qMax(3, states / 2)};
    for (int i = 0; i < states; ++i) {
        for (int k = 0; k < 3; ++k) {
            f.join(all[i], all[(i + targets[k]) % states], QStringLiteral("T%1_%2").arg(i).arg(k),
                   QStringLiteral("(input == %1)").arg(k), QStringLiteral("step(%1);").arg(k));
        }
    }
    f.addMemory(QStringLiteral("input"), QStringLiteral("int"));
    f.addText(TextElement::Includes, QStringLiteral("#include <stdint.h>"));
    f.addText(TextElement::Defines, QStringLiteral("#define LIMIT 10"));
    f.addText(TextElement::Default, QStringLiteral("static int steps;"));
}

double bestOf(int repeat, const std::function<void()>& work)
{
    double best = 1e300;
    for (int r = 0; r < repeat; ++r) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("SOURCE_DATE_EPOCH", "0");
    QApplication app(argc, argv);

    int repeat = 3;
    QVector<int> sizes;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--repeat") && i + 1 < args.size())
            repeat = qMax(1, args[++i].toInt());
        else if (args[i].toInt() > 0)
            sizes.append(args[i].toInt());
    }
    if (sizes.isEmpty())
        sizes = {100, 1000, 10000};

    QTemporaryDir dir;
    std::printf("%8s %12s %10s %12s %14s %12s %14s\n", "states", "transitions", "build ms", "texts ms",
                "texts us/state", "write ms", "write us/state");
    for (int states : qAsConst(sizes)) {
        QElapsedTimer timer;
        timer.start();
        auto f = std::make_unique<StateMachineFixture>(QStringLiteral("Bench Machine"));
        build(*f, states);
        const double buildMs = timer.nsecsElapsed() / 1e6;

        CodeGenerator generator;
        generator.setOutputFolder(dir.path());
        f->prepare(generator);
        qint64 bytes = 0;
        const double textsMs = bestOf(repeat, [&] {
            bytes = generator.headerFileText().size();
            bytes += generator.sourceFileText().size();
        });
        bool written = true;
        const double writeMs = bestOf(repeat, [&] { written = generator.writeStateMachineFiles() && written; });
        if (!written || !generator.getErrorList().isEmpty()) {
            std::fprintf(stderr, "generation failed for %d states\n", states);
            return 1;
        }
        std::printf("%8d %12d %10.1f %12.2f %14.3f %12.2f %14.3f\n", states,
                    int(f->machine->diagram.transitions.size()), buildMs, textsMs, 1000.0 * textsMs / states, writeMs,
                    1000.0 * writeMs / states);
        std::fflush(stdout);
        Q_UNUSED(bytes);
    }
    return 0;
}
