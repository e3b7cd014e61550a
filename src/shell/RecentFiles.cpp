#include "shell/RecentFiles.h"

#include "store/Utilities.h"

namespace qb {

namespace {
const QString kSection = QStringLiteral("MRUF");
const QString kKey = QStringLiteral("MRUF");
} // namespace

void SaveMRUF(const QString& path)
{
    // The path's earlier entries are removed whole: removing the text
    // path + "|*|" from the joined list would also cut the tail off a longer
    // path that ends with this one (/a/b.qbf inside /c/a/b.qbf).
    QStringList pieces = GetSetting(kSection, kKey).split(kMrufSeparator);
    pieces.removeAll(path);
    QString text = path + kMrufSeparator;
    for (qsizetype i = 0; i < pieces.size() && i < 5; ++i) {
        if (!pieces.at(i).isEmpty())
            text += pieces.at(i) + kMrufSeparator;
    }
    SaveSetting(kSection, kKey, text);
}

QStringList RecentFilePieces()
{
    const QString list = GetSetting(kSection, kKey);
    if (list.isEmpty())
        return {};
    return list.split(kMrufSeparator).mid(0, 5);
}

QString RecentFileName(const QString& path)
{
    const qsizetype cut
        = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

} // namespace qb
