#include "shell/boxfit.h"

#include "shell/updowncontrol.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStyleOption>

namespace BoxFit {

namespace {
// QLineEdit keeps this much room on either side of its text, and one pixel for the cursor.
constexpr int TextInset = 2;
} // namespace

int lineEditWidth(const QLineEdit *box, const QString &text)
{
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth =
        box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const QFontMetrics metrics = box->fontMetrics();
    const QMargins margins = box->textMargins() + box->contentsMargins();
    const QSize contents(metrics.horizontalAdvance(text) + 2 * TextInset + 1 + margins.left() +
                             margins.right(),
                         metrics.height());
    return box->style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, box).width();
}

int editableListWidth(const QComboBox *list, const QString &text)
{
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = true;
    option.frame = list->hasFrame();
    option.rect.setSize(QSize(1000, list->fontMetrics().height() * 2));
    const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, list);
    return option.rect.width() - field.width() + lineEditWidth(list->lineEdit(), text);
}

void arrowsBesideBox(UpDownControl *arrows)
{
    arrows->setFixedWidth(arrows->fontMetrics().height() + 2);
    arrows->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
}

} // namespace BoxFit
