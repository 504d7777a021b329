#ifndef PROJECTFILELAYOUT_H
#define PROJECTFILELAYOUT_H

#include <QString>

// The names of a project file's elements, and the attributes and children of
// each item in the order the writer puts them, shared by the writer and the
// reader.
namespace ProjectFileLayout {

inline const QLatin1String tagVornProject("VornProject");
inline const QLatin1String tagProjectFiles("ProjectFiles");
inline const QLatin1String tagSceneData("SceneData");
inline const QLatin1String tagGraphicsItemList("GraphicsItemList");
inline const QLatin1String tagProcess("Process");
inline const QLatin1String tagLink("Link");
inline const QLatin1String tagMemory("Memory");
inline const QLatin1String tagDataflow("Dataflow");
inline const QLatin1String tagStateItem("StateItem");
inline const QLatin1String tagTransitionItem("TransitionItem");
inline const QLatin1String tagTextItem("TextItem");

// Attributes and children in the order they are written; the reader needs
// all of them (a state only its first thirteen children).
inline const QLatin1String processAttributes[] = {
    QLatin1String("level"), QLatin1String("Nos"), QLatin1String("id"), QLatin1String("label"),
    QLatin1String("parentId"), QLatin1String("grandParentId"), QLatin1String("xCoord"),
    QLatin1String("yCoord"), QLatin1String("width"), QLatin1String("height"),
    QLatin1String("shape"), QLatin1String("code"), QLatin1String("description"),
    QLatin1String("backgroundColour"), QLatin1String("polygon")};
enum { pLevel, pNos, pId, pLabel, pParentId, pGrandParentId, pX, pY, pWidth, pHeight, pShape,
       pCode, pDescription, pColour, pPolygon, processAttributeCount };

inline const QLatin1String linkAttributes[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("xCoord"), QLatin1String("yCoord"), QLatin1String("label"),
    QLatin1String("description"), QLatin1String("datatype"), QLatin1String("startItem"),
    QLatin1String("endItem"), QLatin1String("backgroundColour"), QLatin1String("polygon")};
enum { lLevel, lParentId, lGrandParentId, lX, lY, lLabel, lDescription, lDatatype, lStart, lEnd,
       lColour, lPolygon, linkAttributeCount };

inline const QLatin1String memoryAttributes[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("xCoord"), QLatin1String("yCoord"), QLatin1String("label"),
    QLatin1String("description"), QLatin1String("datatype"), QLatin1String("backgroundColour"),
    QLatin1String("polygon")};
enum { mLevel, mParentId, mGrandParentId, mX, mY, mLabel, mDescription, mDatatype, mColour,
       mPolygon, memoryAttributeCount };

inline const QLatin1String dataflowAttributes[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("lineType"), QLatin1String("xCoord"), QLatin1String("yCoord"),
    QLatin1String("label"), QLatin1String("description"), QLatin1String("datatype"),
    QLatin1String("startItem"), QLatin1String("endItem"), QLatin1String("backgroundColour"),
    QLatin1String("polygon")};
enum { dLevel, dParentId, dGrandParentId, dLineType, dX, dY, dLabel, dDescription, dDatatype,
       dStart, dEnd, dColour, dPolygon, dataflowAttributeCount };

inline const QLatin1String stateChildren[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("label"), QLatin1String("ifInitialState"), QLatin1String("initialCondition"),
    QLatin1String("initialDescription"), QLatin1String("xCoord"), QLatin1String("yCoord"),
    QLatin1String("width"), QLatin1String("height"), QLatin1String("backgroundColour"),
    QLatin1String("polygon"), QLatin1String("action"), QLatin1String("description"),
    QLatin1String("numberOfTI"), QLatin1String("transitions")};
enum { sLevel, sParentId, sGrandParentId, sLabel, sInitial, sInitCondition, sInitDescription,
       sX, sY, sWidth, sHeight, sColour, sPolygon, sAction, sDescription, sNumberOfTI,
       sTransitions, stateChildCount, stateRequiredForRead = sPolygon + 1 };

inline const QLatin1String transitionChildren[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("label"), QLatin1String("condition"), QLatin1String("backgroundColour"),
    QLatin1String("xCoord"), QLatin1String("yCoord"), QLatin1String("midPos"),
    QLatin1String("width"), QLatin1String("height"), QLatin1String("polygon"),
    QLatin1String("startItem"), QLatin1String("endItem"), QLatin1String("description"),
    QLatin1String("action")};
enum { tLevel, tParentId, tGrandParentId, tLabel, tCondition, tColour, tX, tY, tMidPos, tWidth,
       tHeight, tPolygon, tStart, tEnd, tDescription, tAction, transitionChildCount };

inline const QLatin1String textChildren[] = {
    QLatin1String("level"), QLatin1String("parentId"), QLatin1String("grandParentId"),
    QLatin1String("xCoord"), QLatin1String("yCoord"), QLatin1String("width"),
    QLatin1String("height"), QLatin1String("type"), QLatin1String("backgroundColour"),
    QLatin1String("textColour"), QLatin1String("polygon"), QLatin1String("action")};
enum { xLevel, xParentId, xGrandParentId, xX, xY, xWidth, xHeight, xType, xColour, xTextColour,
       xPolygon, xAction, textChildCount };

// The reader marks the children it has seen in one 32-bit word.
static_assert(stateChildCount <= 32 && transitionChildCount <= 32 && textChildCount <= 32, "");
static_assert(sizeof(processAttributes) / sizeof(processAttributes[0]) == processAttributeCount, "");
static_assert(sizeof(linkAttributes) / sizeof(linkAttributes[0]) == linkAttributeCount, "");
static_assert(sizeof(memoryAttributes) / sizeof(memoryAttributes[0]) == memoryAttributeCount, "");
static_assert(sizeof(dataflowAttributes) / sizeof(dataflowAttributes[0]) == dataflowAttributeCount, "");
static_assert(sizeof(stateChildren) / sizeof(stateChildren[0]) == stateChildCount, "");
static_assert(sizeof(transitionChildren) / sizeof(transitionChildren[0]) == transitionChildCount, "");
static_assert(sizeof(textChildren) / sizeof(textChildren[0]) == textChildCount, "");

} // namespace ProjectFileLayout

#endif // PROJECTFILELAYOUT_H
