#pragma once

// Cuts the long tables of a report page into tables of a few hundred rows,
// so that the HTML view can show the first screen at once and add the rest
// piece by piece. Qt's rich-text layout is done table by table: one table of
// 40,000 rows is laid out in one go, many short ones lazily as they are
// needed. Text only, no widgets.

#include <QList>
#include <QString>
#include <QStringList>

namespace qb {

struct PageChunks
{
    // The page up to the first cut, its open table closed; the whole page
    // when nothing was cut.
    QString first;
    // The following pieces in order. Each is a small page of its own (the
    // page's style elements in its head) whose body starts by reopening the
    // cut table with its start tag as written, and holds the rows up to the
    // next cut (the last one: to the end of the page).
    QStringList rest;
    // Where the table cut first starts in first.
    qsizetype firstTableAt = 0;
    // The page up to a few dozen rows into the table cut first, then that
    // table's last few dozen rows: enough to measure the widths its content
    // gives the columns.
    QString sample;
    // The pieces without their page around them (starting with the reopened
    // table's start tag), and whether each continues the table cut first.
    QStringList restBodies;
    QList<bool> continuesFirstTable;
    // The page in one text with the tables cut in the same places: what the
    // view's document holds once every piece is added.
    QString whole;
    // Rows of the page in tables, counted at any depth.
    int rows = 0;
};

// Cuts every table that is not inside another table after each rowsPerTable
// rows of its own. Tables with rowspan are left whole (a cut would break the
// span); comments are skipped.
PageChunks CutLongTables(const QString& page, int rowsPerTable);

// Gives the cells of the first row without spanning cells (among the first
// rows) of the first table at or after from the width attributes ("12.5%"),
// one a column, in place of any they had. The piece is returned unchanged
// when no such row has as many cells as there are widths.
QString WithColumnWidths(const QString& piece, qsizetype from, const QStringList& widths);

} // namespace qb
