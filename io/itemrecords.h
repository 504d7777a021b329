#ifndef ITEMRECORDS_H
#define ITEMRECORDS_H

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVector>

#include "parsedcolour.h"
#include "foreigncontent.h"

// Plain records, one per item element of a project file. The reader fills
// them in document order; the canvases build their items from them.

struct t_processItemReadFromXML
{
    int level = 0;
    int id = 0;
    int Nos = 0;
    QString label;
    int parentId = 0;
    int grandParentId = 0;
    QString code;
    QString description;
    double xCoord = 0.0;
    double yCoord = 0.0;
    int width = 0;
    int height = 0;
    int shape = 0;
    ParsedColour backgroundColour;
    QVector<QPoint> polygon;
    ForeignContent foreign;
};

struct t_linkItemReadFromXML
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    double xCoord = 0.0;
    double yCoord = 0.0;
    QString label;
    QString description;
    QString datatype;
    QString startItem;
    QString endItem;
    ParsedColour backgroundColour;
    QVector<QPoint> polygon;
    ForeignContent foreign;
};

struct t_memoryItemReadFromXML
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    double xCoord = 0.0;
    double yCoord = 0.0;
    QString label;
    QString description;
    QString datatype;
    ParsedColour backgroundColour;
    QVector<QPoint> polygon;
    ForeignContent foreign;
};

struct t_dataflowItemReadFromXML
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    double xCoord = 0.0;
    double yCoord = 0.0;
    int lineType = 0;
    QString label;
    QString description;
    QString datatype;
    QString startItem;
    QString endItem;
    ParsedColour backgroundColour;
    QVector<QPoint> polygon;
    ForeignContent foreign;
};

struct t_stateItemReadFromXML
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    QString label;
    bool ifInitialState = false;
    QString initialCondition;
    QString initialDescription;
    double xCoord = 0.0;
    double yCoord = 0.0;
    int width = 0;
    int height = 0;
    ParsedColour backgroundColour;
    QVector<QPoint> polygon;
    QString action;
    QString description;
    int numberOfTI = 0;
    QStringList transitions;
    ForeignContent foreign;
};

struct t_transitionItemReadFromXML
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    QString label;
    QString condition;
    ParsedColour backgroundColour;
    double xCoord = 0.0;
    double yCoord = 0.0;
    int width = 0;
    int height = 0;
    QVector<QPoint> polygon;
    QString startItem;
    QString endItem;
    QString description;
    QString action;
    ForeignContent foreign;
};

struct t_textItemReadFromXML
{
    int level = 0;
    int parentId = 0;
    int grandParentId = 0;
    int type = 0;
    ParsedColour backgroundColour;
    ParsedColour textColour;
    double xCoord = 0.0;
    double yCoord = 0.0;
    int width = 0;
    int height = 0;
    QVector<QPoint> polygon;
    QString action;
    ForeignContent foreign;
};

#endif // ITEMRECORDS_H
