#ifndef COVERAGECOMMAND_H
#define COVERAGECOMMAND_H

#include "commandline.h"

// korvel-cli-render coverage FILE DIR: draws each machine that
// DIR/coverage.json names as render draws it, its states and transitions
// (the initial one included) framed in green when the tests reached them
// and in red when they did not, with a legend, into DIR/MACHINE.svg.
// korvel-cli test --coverage DIR runs it.
class CoverageCommand : public CommandLine
{
public:
    static int run(const QStringList& arguments);
};

#endif // COVERAGECOMMAND_H
