#pragma once

// Completes the typed text of an editable combo box from its own list as the
// user types: the first entry that begins with the text (letter case
// ignored) is chosen, its part not typed yet is added after the typed letters
// and selected, so that the next character replaces it. The typed letters
// themselves are never changed, not even in letter case.

#include <QComboBox>
#include <QObject>
#include <QPointer>

namespace qb {

class clsAutoComplete final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(clsAutoComplete)

public:
    explicit clsAutoComplete(QObject* parent = nullptr);
    ~clsAutoComplete() override;

    QComboBox* LinkedComboBox() const { return m_memCBO; }
    void setLinkedComboBox(QComboBox* cboTargetComboBox);

    bool AutoDropdown() const { return m_autoDropdown; }
    void setAutoDropdown(bool bAutoDropdown) { m_autoDropdown = bAutoDropdown; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void memCBO_KeyUp(int key);
    // Index of the first entry whose text starts with (or, exact, equals) text; -1 for none.
    int FindInList(const QString& text, int start, bool exact) const;
    void ShowDropdown(bool open);

    QPointer<QComboBox> m_memCBO;
    bool m_autoDropdown = false;
    int m_savedStart = 0;
    int m_savedLength = 0;
    int m_foundIndex = -1;
    QString m_savedText;
};

} // namespace qb
