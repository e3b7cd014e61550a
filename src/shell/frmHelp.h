#pragma once

// The program's help window: the HTML manual beside the program, with
// Back, Forward and Home.

#include <QWidget>

class QTextBrowser;

namespace qb {

class frmHelp final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmHelp)

public:
    // The manual's first page: the program folder's help/index.html.
    static QString HelpFile();

    explicit frmHelp(QWidget* parent = nullptr);
    // Shows the page; false when it cannot be read.
    bool showPage(const QString& fileName);

    QTextBrowser* txtHelp = nullptr;
};

} // namespace qb
