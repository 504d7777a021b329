#include "machineset.h"

#include "document.h"

MachineSet::MachineSet() = default;

MachineSet::~MachineSet() = default;

Document* MachineSet::newDocument()
{
    documents.push_back(std::make_unique<Document>());
    return documents.back().get();
}
