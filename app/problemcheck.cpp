#include "problemcheck.h"

#include "backgroundjob.h"
#include "canvas.h"
#include "csyntaxcheck.h"
#include "document.h"
#include "projectcanvases.h"
#include "projectsnapshot.h"

// One canvas as the checks read it: a machine with the module it is drawn
// on, or a block diagram alone.
struct ProblemCheck::Taken
{
    struct Diagram
    {
        QPointer<Canvas> canvas;
        std::unique_ptr<Document> document;
        const ProjectNode* machine = nullptr;
        QVector<DesignLinter::Finding> findings;
    };
    std::vector<Diagram> diagrams;

    void check();
};

void ProblemCheck::Taken::check()
{
    QVector<const ProjectNode*> machines;
    for (const Diagram& diagram : diagrams)
        if (diagram.machine)
            machines << diagram.machine;
    const QVector<QVector<DesignLinter::Finding>> clashes = DesignLinter::fileNameClashes(machines);
    int next = 0;
    for (Diagram& diagram : diagrams) {
        if (!diagram.machine) {
            diagram.findings = DesignLinter::blockWarnings(&diagram.document->root());
            continue;
        }
        diagram.findings = DesignLinter::lintMachine(diagram.machine, clashes.at(next++));
        diagram.findings += CSyntaxCheck::check(diagram.machine);
    }
}

ProblemCheck::ProblemCheck(QObject* parent)
    : QObject(parent)
    , job(new BackgroundJob(this))
{
}

void ProblemCheck::start(const ProjectCanvases& project, Done done)
{
    job->cancel();
    auto next = std::make_shared<Taken>();
    for (Canvas* canvas : project.all()) {
        Taken::Diagram diagram;
        diagram.canvas = canvas;
        diagram.document = std::make_unique<Document>();
        if (canvas->getLevel() == 5) {
            // A machine whose process is lost has no name to check.
            const ProcessItem* process = project.owningProcess(canvas);
            if (!process)
                continue;
            diagram.machine = ProjectSnapshot::takeMachine(process, canvas, diagram.document.get());
        } else {
            ProjectSnapshot::takeDiagram(canvas, diagram.document.get());
        }
        next->diagrams.push_back(std::move(diagram));
    }
    // The thread reads and writes only what was taken; the window reads it
    // again once the thread has ended.
    job->start([next] { next->check(); }, [next, done] {
        QVector<Problem> problems;
        for (const Taken::Diagram& diagram : next->diagrams)
            for (const DesignLinter::Finding& finding : diagram.findings)
                problems.append({finding, diagram.canvas, finding.element, {}});
        done(problems);
    });
}

void ProblemCheck::finish()
{
    job->finish();
}

void ProblemCheck::cancel()
{
    job->cancel();
}
