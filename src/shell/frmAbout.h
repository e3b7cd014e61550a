#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace qb {

// Help > About: logo, product name and version.
class frmAbout final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmAbout)

public:
    explicit frmAbout(QWidget* parent = nullptr);

    QLabel* lblVersion = nullptr;
    QPushButton* btnOK = nullptr;
};

} // namespace qb
