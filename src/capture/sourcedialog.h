#pragma once
// The video source dialog: one slider, check box or list per setting of the source, each
// acting at once. Built apart from being shown, so that it can be driven without exec().

#include "capture/sourcecontrol.h"
#include "shell/result.h"

#include <QDialog>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class CaptureService;
class QFormLayout;
class QLabel;

class SourceDialog : public QDialog
{
    Q_OBJECT
public:
    using Reader = std::function<std::vector<SourceControl>()>;
    using Writer = std::function<Result<>(std::uint32_t id, int value)>;

    /// read gives the settings as they stand now; write changes one of them on the device.
    SourceDialog(const QString &sourceName, Reader read, Writer write, QWidget *parent = nullptr);
    /// The dialog of the service's connected source, not yet shown; nullptr without one.
    static std::unique_ptr<SourceDialog> create(CaptureService &service, QWidget *parent = nullptr);

    /// The slider, check box or list of a setting (objectName "control<id>"), or nullptr.
    QWidget *controlWidget(std::uint32_t id) const;
    /// Why the last change failed, also shown in the dialog; empty after a success.
    QString lastError() const { return m_lastError; }

private:
    void build(const std::vector<SourceControl> &controls);
    void addSlider(const SourceControl &control);
    void addCheckBox(const SourceControl &control);
    void addList(const SourceControl &control);
    void apply(std::uint32_t id, int value);
    void refresh(std::uint32_t changedId);
    void showValue(QWidget *widget, const SourceControl &control);

    Reader m_read;
    Writer m_write;
    QFormLayout *m_form = nullptr;
    QLabel *m_error = nullptr;
    std::map<std::uint32_t, QWidget *> m_widgets;
    std::map<std::uint32_t, QLabel *> m_valueLabels; // the number beside each slider
    QString m_lastError;
};
