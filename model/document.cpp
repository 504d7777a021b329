#include "document.h"

Document::Document()
    : rootNode(std::make_unique<ProjectNode>(newId(), nullptr))
{
}
