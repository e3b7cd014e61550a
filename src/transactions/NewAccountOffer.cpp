#include "transactions/NewAccountOffer.h"

#include <QFocusEvent>

#include "controls/AccountCombo.h"
#include "store/BookEdits.h"
#include "store/BookSchema.h"
#include "store/DataStore.h"
#include "store/MasterEdits.h"
#include "store/UiServices.h"
#include "store/Utilities.h"
#include "windows/DataWindow.h"
#include "windows/TypedText.h"

namespace qb {

NewAccountOffer::NewAccountOffer(
    DataWindow* window, DataStore& book, const QList<AccountCombo*>& boxes)
    : QObject(window)
    , m_window(window)
    , m_book(book)
    , m_boxes(boxes)
{
    for (AccountCombo* box : m_boxes)
        box->installEventFilter(this);
}

NewAccountOffer::~NewAccountOffer() = default;

TypedAccount NewAccountOffer::offer(AccountCombo* box)
{
    const QString typed = box->currentText();
    const QString trimmed = typed.trimmed();
    if (trimmed.isEmpty())
        return TypedAccount::None;
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemText(i).compare(typed, Qt::CaseInsensitive) == 0)
            return TypedAccount::Listed;
    }
    // The name is checked as it will be stored (no blanks around it): an
    // account of that name is chosen instead of offering a second one. A
    // name that cannot be stored is refused with the reason.
    const QString stored = StoredName(typed);
    if (stored.isEmpty() || RefuseTypedText(typed, TypedTextKind::AccountName))
        return TypedAccount::None;
    const QList<XmlNode> same = FindAccountsByName(m_book.document(), stored);
    if (!same.isEmpty()) {
        box->chooseCode(same.first().attribute(schema::kCode).toInt());
        return TypedAccount::Chosen;
    }

    if (m_book.refuseChange())
        return TypedAccount::None;
    // Digits, signs or a date are more likely a slip than a new account:
    // Enter alone does not add them.
    if (MsgBox(QStringLiteral("Add '") + trimmed + QStringLiteral("' to Account Heads ?"),
            MsgIcon::Question, QStringLiteral("Confirm new Account"), MsgButtons::YesNo,
            LooksLikeName(stored) ? MsgResult::Yes : MsgResult::No)
        != MsgResult::Yes) {
        return TypedAccount::Declined;
    }
    const QString name = AllowedCharsOnly(typed);
    const int code = AddAccountHead(m_book.document(), name, &m_book.history());
    // A failed save has been reported by the store; the account is in the
    // book and goes out with the next save.
    const bool saved = m_book.SaveDocument();
    Q_UNUSED(saved);
    AnnounceBookChange(BookChange::Accounts, m_window);

    // Listed in every box at once (the notice comes later), chosen only in this one.
    for (AccountCombo* other : m_boxes)
        other->addAccount(name, code);
    box->chooseCode(code);
    return TypedAccount::Added;
}

bool NewAccountOffer::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        auto* box = qobject_cast<AccountCombo*>(watched);
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (m_boxes.contains(box) && !m_offering && reason != Qt::PopupFocusReason
            && reason != Qt::ActiveWindowFocusReason && m_window->isVisible()
            && !m_window->isClosing()) {
            m_offering = true;
            const TypedAccount result = offer(box);
            m_offering = false;
            emit left(box, result);
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace qb
