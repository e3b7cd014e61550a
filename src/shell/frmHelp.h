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
    // The manual's section (its anchor) about a data window; empty for a
    // window the manual has no section of its own for.
    static QString TopicOf(const QWidget* window);

    explicit frmHelp(QWidget* parent = nullptr);
    // Shows the page, at the anchor when one is given; false when it cannot be read.
    bool showPage(const QString& fileName, const QString& anchor = QString());

    QTextBrowser* txtHelp = nullptr;
};

} // namespace qb
