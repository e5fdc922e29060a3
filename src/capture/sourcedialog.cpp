#include "capture/sourcedialog.h"

#include "capture/captureservice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

SourceDialog::SourceDialog(const QString &sourceName, Reader read, Writer write, QWidget *parent)
    : QDialog(parent), m_read(std::move(read)), m_write(std::move(write))
{
    setObjectName(QStringLiteral("sourceDialog"));
    setWindowTitle(QStringLiteral("Video source - ") + sourceName);
    setModal(true);
    auto *layout = new QVBoxLayout(this);
    m_form = new QFormLayout;
    layout->addLayout(m_form);
    m_error = new QLabel(this);
    m_error->setObjectName(QStringLiteral("sourceError"));
    m_error->setWordWrap(true);
    m_error->hide();
    layout->addWidget(m_error);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    build(m_read());
}

void SourceDialog::build(const std::vector<SourceControl> &controls)
{
    if (controls.empty())
        m_form->addRow(new QLabel(QStringLiteral("This source has no settings."), this));
    for (const SourceControl &control : controls) {
        switch (control.kind) {
        case SourceControl::Kind::Integer:
            addSlider(control);
            break;
        case SourceControl::Kind::Boolean:
            addCheckBox(control);
            break;
        case SourceControl::Kind::Menu:
            addList(control);
            break;
        }
        QWidget *widget = m_widgets[control.id];
        widget->setObjectName(QStringLiteral("control%1").arg(control.id));
        widget->setEnabled(control.enabled);
    }
}

void SourceDialog::addSlider(const SourceControl &control)
{
    auto *slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(control.minimum, control.maximum);
    slider->setSingleStep(control.step);
    slider->setPageStep(std::max(control.step, (control.maximum - control.minimum) / 10));
    slider->setValue(control.value);
    slider->setAccessibleName(control.name);
    auto *value = new QLabel(QString::number(control.value), this);
    value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("-00000")));
    auto *row = new QHBoxLayout;
    row->addWidget(slider, 1);
    row->addWidget(value);
    m_form->addRow(control.name, row);
    connect(slider, &QSlider::valueChanged, value,
            [value](int v) { value->setText(QString::number(v)); });
    connect(slider, &QSlider::valueChanged, this, [this, id = control.id](int v) { apply(id, v); });
    m_widgets[control.id] = slider;
    m_valueLabels[control.id] = value;
}

void SourceDialog::addCheckBox(const SourceControl &control)
{
    auto *box = new QCheckBox(control.name, this);
    box->setChecked(control.value != 0);
    m_form->addRow(box);
    connect(box, &QCheckBox::toggled, this,
            [this, id = control.id](bool on) { apply(id, on ? 1 : 0); });
    m_widgets[control.id] = box;
}

void SourceDialog::addList(const SourceControl &control)
{
    auto *list = new QComboBox(this);
    for (const auto &[value, text] : control.menu)
        list->addItem(text, value);
    list->setCurrentIndex(list->findData(control.value));
    list->setAccessibleName(control.name);
    m_form->addRow(control.name, list);
    connect(list, &QComboBox::activated, this,
            [this, list, id = control.id](int index) { apply(id, list->itemData(index).toInt()); });
    m_widgets[control.id] = list;
}

QWidget *SourceDialog::controlWidget(std::uint32_t id) const
{
    const auto it = m_widgets.find(id);
    return it == m_widgets.end() ? nullptr : it->second;
}

void SourceDialog::apply(std::uint32_t id, int value)
{
    const Result<> result = m_write(id, value);
    m_lastError = result ? QString() : result.error();
    m_error->setText(m_lastError);
    m_error->setVisible(!result);
    refresh(id);
}

// A change can switch others on or off (automatic exposure and the exposure time, for one),
// and a refused change must not stay shown: show the device's state again.
void SourceDialog::refresh(std::uint32_t changedId)
{
    for (const SourceControl &control : m_read()) {
        QWidget *widget = controlWidget(control.id);
        if (!widget)
            continue;
        widget->setEnabled(control.enabled);
        // The control being moved keeps the user's position while it is dragged.
        if (control.id != changedId || !m_lastError.isEmpty())
            showValue(widget, control);
    }
}

void SourceDialog::showValue(QWidget *widget, const SourceControl &control)
{
    const QSignalBlocker blocker(widget);
    if (auto *slider = qobject_cast<QSlider *>(widget)) {
        slider->setValue(control.value);
        m_valueLabels.at(control.id)->setText(QString::number(slider->value()));
    } else if (auto *box = qobject_cast<QCheckBox *>(widget)) {
        box->setChecked(control.value != 0);
    } else if (auto *list = qobject_cast<QComboBox *>(widget)) {
        list->setCurrentIndex(list->findData(control.value));
    }
}

std::unique_ptr<SourceDialog> SourceDialog::create(CaptureService &service, QWidget *parent)
{
    Result<CaptureService::SourceSettings> settings = service.sourceSettings();
    if (!settings)
        return nullptr;
    return std::make_unique<SourceDialog>(settings->name, std::move(settings->read),
                                          std::move(settings->write), parent);
}
