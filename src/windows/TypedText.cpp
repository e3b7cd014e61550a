#include "windows/TypedText.h"

#include "store/MasterEdits.h"
#include "store/UiServices.h"
#include "store/Utilities.h"

namespace qb {

bool RefuseTypedText(const QString& typed, TypedTextKind kind)
{
    static const char* const what[] = {"narration", "account name", "group name", "range caption"};
    const QString name = QString::fromLatin1(what[int(kind)]);
    if (const std::optional<char32_t> refused = FirstRefusedChar(typed)) {
        MsgBox(QStringLiteral("The ") + name + QStringLiteral(" holds a control character (U+")
                + QStringLiteral("%1").arg(uint(*refused), 4, 16, QLatin1Char('0')).toUpper()
                + QStringLiteral("), which cannot be saved. Type it again without it."),
            MsgIcon::Information, QStringLiteral("Cannot save"));
        return true;
    }
    const qsizetype length = CharacterCount(StoredName(typed));
    if (kind != TypedTextKind::Narration && length > kMaxNameLength) {
        MsgBox(QStringLiteral("A name can have at most ") + QString::number(kMaxNameLength)
                + QStringLiteral(" characters; this ") + name + QStringLiteral(" has ")
                + QString::number(length) + QStringLiteral("."),
            MsgIcon::Information, QStringLiteral("Name too long"));
        return true;
    }
    return false;
}

} // namespace qb
