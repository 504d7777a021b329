#ifndef EULA_H
#define EULA_H

#include <QDialog>

class QTextBrowser;

// Shows the licence agreement of the application.
class Eula : public QDialog
{
    Q_OBJECT

public:
    explicit Eula(QWidget* parent = nullptr);
    QString text() const;

private:
    QTextBrowser* browser;
};

#endif // EULA_H
