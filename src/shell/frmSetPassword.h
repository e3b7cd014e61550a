#pragma once

// Sets, changes or removes the open data file's password. The password is
// never stored: PValue becomes the digest of the password followed by I.
// With "Encrypt the book with this password" the book is also encrypted
// with a key derived from the exact password.

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace qb {

class DataStore;

class frmSetPassword final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmSetPassword)

public:
    explicit frmSetPassword(DataStore& store, QWidget* parent = nullptr);

    QGroupBox* fraCurrentPassword = nullptr;
    QGroupBox* fraNewPassword = nullptr;
    QGroupBox* fraOkCancel = nullptr;
    QLineEdit* txtCurrentPassword = nullptr;
    QLineEdit* txtNewPassword = nullptr;
    QLineEdit* txtConfirmPassword = nullptr;
    // Writes the book encrypted with the new password.
    QCheckBox* chkEncrypt = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void Form_Load();
    void cmdOk_Click();
    bool currentPasswordRight(const QString& password) const;
    // Sets the new key (or none) and saves; false when nothing was saved.
    bool saveWithProtection(const QString& password, bool encrypt);

    DataStore& m_store;
    QString m_i;
    QString m_pValue;
};

} // namespace qb
