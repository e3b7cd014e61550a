#include "shell/frmAbout.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/Artwork.h"
#include "store/DataStore.h"

namespace qb {

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About ..."));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (parent)
        setWindowIcon(parent->window()->windowIcon());

    auto* logo = new QLabel(this);
    logo->setPixmap(ProgramLogo(80));
    logo->setAlignment(Qt::AlignTop);

    auto* product = new QLabel(QStringLiteral("Quillbrook"), this);
    QFont big = product->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    product->setFont(big);
    auto* tagline = new QLabel(QStringLiteral("Personal accounting software"), this);
    lblVersion = new QLabel(QStringLiteral("Version ") + VersionText(2), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(product);
    text->addWidget(tagline);
    text->addSpacing(10);
    text->addWidget(lblVersion);
    text->addStretch();
    auto* top = new QHBoxLayout;
    top->setSpacing(18);
    top->addWidget(logo);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 20, 20, 14);
    layout->addLayout(top);
    layout->addWidget(line);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setMinimumWidth(380);
}

} // namespace qb
