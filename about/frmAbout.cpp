#include "about/frmAbout.h"

#include "about/Maker.h"
#include "widgets/WindowPlace.h"
#include "widgets/Windows.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* centredLabel(const QString& name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignHCenter);
    // The addresses are there to be copied into a browser or a mail program.
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

} // namespace

frmAbout::frmAbout(QWidget* parent) : QWidget(parent) {
    windows::adopt(this, QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Cuepilot"));

    Label1 = centredLabel(QStringLiteral("Label1"),
                          maker::kProductName + QStringLiteral(" Version ") + maker::kVersion, this);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 =
        centredLabel(QStringLiteral("Label2"),
                     QStringLiteral("For updates, please visit our web site at ") + maker::kWebSite, this);
    Label3 = centredLabel(QStringLiteral("Label3"),
                          QStringLiteral("For support, please e-mail us at ") + maker::kSupportMail, this);

    Command1 = new QPushButton(QStringLiteral("&Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &frmAbout::Command1_Click);
    windows::closeOnEscape(this, Command1);
    windows::rememberPlace(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addSpacing(12);
    layout->addWidget(Command1, 0, Qt::AlignHCenter);
    layout->setContentsMargins(24, 18, 24, 18);
    // A message-like box: it keeps the size its texts need.
    setFixedSize(sizeHint());
}

void frmAbout::Command1_Click() {
    close();
}

frmAbout* showAbout() {
    auto* box = windows::find<frmAbout>(QStringLiteral("frmAbout"));
    if (!box) box = new frmAbout;
    windows::bringToFront(box);
    return box;
}
