#ifndef TESTCOMMAND_H
#define TESTCOMMAND_H

#include "commandline.h"

// korvel-cli test PROJECT TESTFILE...: runs the test cases of the files on
// the machines' generated C, prints one line per case and the machines'
// coverage, and writes JUnit XML and coverage JSON when asked.
class TestCommand : public CommandLine
{
public:
    static int run(const QStringList& arguments);
};

#endif // TESTCOMMAND_H
