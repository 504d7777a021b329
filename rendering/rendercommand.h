#ifndef RENDERCOMMAND_H
#define RENDERCOMMAND_H

#include "commandline.h"

// korvel-cli render: draws the canvases of a project into pictures. It needs
// the GUI libraries, so it runs in a program of its own, korvel-cli-render,
// which korvel-cli hands the command line to.
class RenderCommand : public CommandLine
{
public:
    static int run(const QStringList& arguments);
};

#endif // RENDERCOMMAND_H
