#pragma once

// The Import Statement window: a statement file (CSV, OFX/QFX, QIF), the
// account it belongs to, for CSV the mapping of its columns, and a preview
// of every line with its status and other account; Import writes the
// checked lines in one save.

#include <QByteArray>
#include <QString>

#include "import/ImportPlan.h"
#include "import/Statement.h"
#include "store/BookContext.h"
#include "windows/DataWindow.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSortFilterProxyModel;
class QSpinBox;
class QTableView;

namespace qb {

class AccountCombo;
class DataStore;
class ImportLinesModel;
class clsAutoComplete;

class frmImport final : public DataWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmImport)

public:
    explicit frmImport(const BookContext& book, QWidget* parent = nullptr);
    ~frmImport() override;

    // Asks for the statement file through the file dialogs; false when cancelled.
    bool chooseFile();
    // Reads the statement at path and shows its lines; false (after telling
    // the user) when it cannot be read or understood.
    bool loadFile(const QString& path);
    // Writes the checked lines; false when nothing was imported.
    bool importLines();

    const QString& statementFile() const { return m_path; }
    // The CSV columns shown were guessed and not yet confirmed by the person.
    bool mappingIsGuess() const { return m_guessed; }
    ImportLinesModel* model() const { return m_model; }

    QPushButton* cmdChoose = nullptr;
    QLabel* lblFile = nullptr;
    // A file of several accounts: the part shown, each with its own account.
    QComboBox* cmbPart = nullptr;
    AccountCombo* cmbAccount = nullptr;
    QGroupBox* fraCsv = nullptr;
    QComboBox* cmbSeparator = nullptr;
    QCheckBox* chkHeader = nullptr;
    QComboBox* cmbDateColumn = nullptr;
    QComboBox* cmbDateOrder = nullptr;
    QRadioButton* optSigned = nullptr;
    QRadioButton* optTwoColumns = nullptr;
    QComboBox* cmbAmountColumn = nullptr;
    QComboBox* cmbOutColumn = nullptr;
    QComboBox* cmbInColumn = nullptr;
    QCheckBox* chkDecimalComma = nullptr;
    QLineEdit* txtTextColumns = nullptr;
    QComboBox* cmbReference = nullptr;
    QSpinBox* spnSkip = nullptr;
    QComboBox* cmbDirection = nullptr;
    QLineEdit* txtOutWord = nullptr;
    QLineEdit* txtInWord = nullptr;
    QCheckBox* chkReverse = nullptr;
    QLineEdit* txtProfile = nullptr;
    QLabel* lblGuess = nullptr; // marks a guessed mapping until it is confirmed
    QPushButton* cmdConfirm = nullptr;
    QLineEdit* txtFilter = nullptr; // shows the lines whose columns contain its text
    QTableView* tblLines = nullptr;
    AccountCombo* cmbOther = nullptr;
    QPushButton* cmdSetOther = nullptr;
    // A rule kept in the book: lines whose text contains it get the other account.
    QLineEdit* txtRuleText = nullptr;
    QPushButton* cmdRule = nullptr;
    QLabel* lblSummary = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    bool previewKey(QWidget* target, QKeyEvent* key) override;
    void bookChanged(const BookChange& change) override;

private:
    void buildUi();
    void connectSignals();
    DataStore& book() const;
    // The CSV panel shows the mapping (column names from the first row).
    void showMapping(const CsvMapping& mapping);
    CsvMapping mappingShown() const;
    // Shows a guessed mapping as a guess, with its doubts; a saved profile is none.
    void markGuess(bool guessed, const QStringList& doubts = {});
    // Reads the statement again with what the window shows and rebuilds the preview.
    void rebuild();
    // Shows another part of the file, keeping the choices made in the one left.
    void showPart(int part);
    // The part shown takes the account the box shows.
    void followAccount();
    // The plans of every part, the one shown as the window holds it.
    QList<const ImportPlan*> plans() const;
    void updateSummary();
    void setOtherForSelection();
    // The other account the box shows; nothing (after telling the user) when
    // none is chosen or it is the statement's account.
    std::optional<int> otherChosen();
    // Keeps "text containing txtRuleText -> the other account" in the book.
    void addRule();
    // Remembers the accounts and other accounts chosen for the file, for
    // when it is opened again (after an undo of its import).
    void rememberChoices() const;
    QList<int> selectedRows() const;
    QString accountName(int code) const;

    BookContext m_book;
    QString m_path;
    QByteArray m_bytes;
    StatementFormat m_format = StatementFormat::Csv;
    QString m_statementError;
    std::optional<Statement> m_statement; // as read last
    QList<Statement> m_parts;
    QList<ImportPlan> m_plans; // per part; the one shown lives in the model
    int m_part = 0;
    bool m_filling = false;
    bool m_guessed = false;
    QStringList m_doubts;
    ImportLinesModel* m_model = nullptr;
    QSortFilterProxyModel* m_shown = nullptr; // the lines sorted and filtered
    int m_profileAccount = 0; // the account the CSV profile names
    clsAutoComplete* m_completeAccount = nullptr;
    clsAutoComplete* m_completeOther = nullptr;
};

} // namespace qb
