#include "aboutbox.h"

#include "zefversion.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

namespace zef {

QIcon programIcon() {
    // The pictures drawn at build time from the SVG that installs as the desktop's icon.
    QIcon icon;
    for (int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/zefpascal-%1.png").arg(size), QSize(size, size));
    return icon;
}

QString versionText() { return QStringLiteral("Version " ZEF_VERSION); }

QPixmap splashPicture() {
    QPixmap pm(460, 260);
    pm.fill(Qt::black);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect panel(20, 20, 420, 220);
    // A raised panel: light edges top and left, dark edges bottom and right.
    p.fillRect(panel, QColor(0, 128, 128));
    p.setPen(QColor(120, 200, 200));
    p.drawLine(panel.topLeft(), panel.topRight());
    p.drawLine(panel.topLeft(), panel.bottomLeft());
    p.setPen(QColor(0, 60, 60));
    p.drawLine(panel.bottomLeft(), panel.bottomRight());
    p.drawLine(panel.topRight(), panel.bottomRight());
    p.drawPixmap(40, 60, programIcon().pixmap(96, 96));
    QFont title;
    title.setBold(true);
    title.setPixelSize(44);
    p.setFont(title);
    p.setPen(Qt::white);
    p.drawText(QRect(150, 70, 280, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Zef Pascal"));
    QFont version;
    version.setPixelSize(18);
    p.setFont(version);
    p.drawText(QRect(150, 135, 280, 30), Qt::AlignLeft | Qt::AlignVCenter, versionText());
    return pm;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle(QStringLiteral("A propos de ZuzOvozov"));
    setModal(true);
    auto* icon = new QLabel(this);
    icon->setPixmap(programIcon().pixmap(64, 64));
    auto* product = new QLabel(QStringLiteral("ZuzOvozov"), this);
    QFont f = product->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.4);
    product->setFont(f);
    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(new QLabel(versionText(), this));
    texts->addWidget(new QLabel(QStringLiteral("Interpréteur pascal."), this));
    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addLayout(texts);
    // One button, which is also the cancel button: Escape closes the box too.
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

} // namespace zef
