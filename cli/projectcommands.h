#ifndef PROJECTCOMMANDS_H
#define PROJECTCOMMANDS_H

#include "commandline.h"

// The commands of korvel-cli that work on a project's data alone: check,
// generate, resave, lint and simulate. Each takes the whole command line
// and returns the exit code.
class ProjectCommands : public CommandLine
{
public:
    static int check(const QStringList& arguments);
    static int generate(const QStringList& arguments);
    static int resave(const QStringList& arguments);
    static int lint(const QStringList& arguments);
    static int simulate(const QStringList& arguments);
};

#endif // PROJECTCOMMANDS_H
