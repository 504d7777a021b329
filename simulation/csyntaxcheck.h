#ifndef CSYNTAXCHECK_H
#define CSYNTAXCHECK_H

#include <QString>
#include <QVector>

#include "designlinter.h"

class ProjectNode;

// The design check "c-syntax": the machine's files, as Generate writes them,
// compiled with -fsyntax-only by the system C compiler. Each error is traced
// back to the element whose text gave the line (a state's action, a guard or
// action of a transition, a text item), with the compiler's message. Without
// a compiler, one finding of information says that the check was skipped.
namespace CSyntaxCheck {

// compiler: a program on the PATH, or a path; "cc" when empty. A machine
// whose names keep its files from being written is not compiled.
QVector<DesignLinter::Finding> check(const ProjectNode* machine, const QString& compiler = QString());

} // namespace CSyntaxCheck

#endif // CSYNTAXCHECK_H
