#include "settings/aboutbox.h"

#include "settings/hyperlinklabel.h"
#include "shell/toolwindows.h"
#include "vardella_version.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {
// The logo: a camera lens with an aperture of six blades, drawn by the program itself.
class Logo : public QWidget
{
public:
    explicit Logo(QWidget *parent) : QWidget(parent)
    {
        setObjectName("logo");
        setAccessibleName("Vardella logo");
        setFixedSize(127, 105);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient sky(0, 0, 0, height());
        sky.setColorAt(0, QColor(10, 61, 122));
        sky.setColorAt(1, QColor(3, 20, 48));
        p.fillRect(rect(), sky);
        const QPointF centre(width() / 2.0, height() / 2.0);
        const double r = height() * 0.4;
        p.setPen(QPen(QColor(200, 210, 225), 4));
        p.setBrush(QColor(25, 30, 40));
        p.drawEllipse(centre, r, r);
        p.setPen(QPen(QColor(90, 170, 255), 2));
        for (int i = 0; i < 6; ++i) {
            QLineF blade(centre, centre + QPointF(r * 0.85, 0));
            blade.setAngle(i * 60.0 + 15);
            QLineF edge(blade.p2(), centre);
            edge.setAngle(blade.angle() + 120);
            edge.setLength(r * 0.75);
            p.drawLine(blade.p2(), edge.p2());
        }
        p.setBrush(QColor(250, 215, 40));
        p.setPen(Qt::NoPen);
        p.drawEllipse(centre, r * 0.18, r * 0.18);
    }
};
} // namespace

AboutBox::AboutBox(QWidget *parent, ToolWindows &tools)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), m_tools(tools),
      m_link(new HyperLinkLabel(QDir::toNativeSeparators(guideUrl().toLocalFile()), this))
{
    setObjectName("aboutBox");
    setWindowTitle("About");

    auto *product = new QLabel(QString::fromLatin1(Product::caption), this);
    product->setObjectName("product");
    QFont large = product->font();
    large.setPointSizeF(large.pointSizeF() * 1.4);
    large.setBold(true);
    product->setFont(large);
    auto *notice = new QLabel("Made by the Vardella developers. Free to use.", this);
    notice->setObjectName("notice");
    notice->setWordWrap(true);
    auto *homepage = new QLabel("Homepage", this);

    m_link->setObjectName("homepageLink");
    m_link->setAccessibleName("Homepage");
    m_link->setOverColor(Qt::blue);
    connect(m_link, &HyperLinkLabel::clicked, this,
            [] { QDesktopServices::openUrl(guideUrl()); }); // no viewer: nothing happens

    auto *ok = new QPushButton("OK", this);
    ok->setObjectName("okButton");
    ok->setDefault(true);
    auto *cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("cancelButton");
    cancel->hide();
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);

    auto *text = new QVBoxLayout;
    text->addWidget(product);
    text->addWidget(notice);
    auto *link = new QHBoxLayout;
    link->addWidget(homepage);
    link->addWidget(m_link);
    link->addStretch(1);
    text->addLayout(link);
    text->addStretch(1);
    auto *top = new QHBoxLayout;
    top->addWidget(new Logo(this), 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    resize(QSize(309, 161).expandedTo(sizeHint()));
    tools.add(ToolWindows::Role::About, this, [this] { showOverMainWindow(); });
}

QUrl AboutBox::guideUrl()
{
    return QUrl::fromLocalFile(QDir::cleanPath(QCoreApplication::applicationDirPath() + '/' +
                                               QLatin1String(Product::guideFromBinary)));
}

void AboutBox::open()
{
    m_tools.open(ToolWindows::Role::About);
}

void AboutBox::showOverMainWindow()
{
    resize(size().expandedTo(sizeHint()));
    QRect outer = frameGeometry();
    if (parentWidget())
        outer.moveCenter(parentWidget()->frameGeometry().center());
    move(outer.topLeft());
    show();
    raise();
    activateWindow();
    if (parentWidget())
        parentWidget()->update();
}

void AboutBox::keyPressEvent(QKeyEvent *event)
{
    // Escape answers as the hidden "Cancel", Enter as the default "OK".
    const bool plain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    if (plain && (event->key() == Qt::Key_Escape || event->key() == Qt::Key_Return ||
                  event->key() == Qt::Key_Enter)) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}
