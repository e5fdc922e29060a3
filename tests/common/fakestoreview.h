#pragma once
// The main window as the store's controls see it, without a widget: it keeps what it was told
// to show and what the boxes hold, and records the box changes in order.

#include "shell/motionhost.h"
#include "shell/storeview.h"

#include <QStringList>

struct FakeStoreView : StoreView
{
    QString picturePath = QStringLiteral("1/capture.jpg");
    QString framesText = QStringLiteral("0  frms captured");
    QString timeText = QStringLiteral("    ");
    QString intervalText;
    QString maxStepText;
    QString startCaption = QStringLiteral("Start");
    int startColour = 1;
    QString statusNote;
    bool preview = true;
    bool overlay = false;
    bool overlayEnabled = true;
    int intervalPosition = 5;
    QString stepCaption = QStringLiteral("Step");
    bool stepArrowsShown = false;
    int maxIncrement = 25;
    int maxPosition = 25;
    bool startAndAboutEnabled = true;
    bool panelEnabled = true;
    int redraws = 0;
    QStringList boxChanges; // "preview:1", "overlay:0", in the order they were made

    void showPicturePath(const QString &text) override { picturePath = text; }
    void showFramesText(const QString &text) override { framesText = text; }
    void showTimeText(const QString &text) override { timeText = text; }
    void showIntervalText(const QString &text) override { intervalText = text; }
    void showMaxStepText(const QString &text) override { maxStepText = text; }
    void showStartCaption(const QString &caption, int colourValue) override
    {
        startCaption = caption;
        startColour = colourValue;
    }
    void showStatusNote(const QString &text) override { statusNote = text; }
    bool isPreviewChecked() const override { return preview; }
    void setPreviewChecked(bool checked) override
    {
        preview = checked;
        boxChanges << QStringLiteral("preview:%1").arg(int(checked));
    }
    bool isOverlayChecked() const override { return overlay; }
    void setOverlayChecked(bool checked) override
    {
        overlay = checked;
        boxChanges << QStringLiteral("overlay:%1").arg(int(checked));
    }
    void setOverlayEnabled(bool enabled) override { overlayEnabled = enabled; }
    void setIntervalArrowsPosition(int position) override { intervalPosition = position; }
    void showStepMode(const QString &caption, bool shown) override
    {
        stepCaption = caption;
        stepArrowsShown = shown;
    }
    int maxArrowsIncrement() const override { return maxIncrement; }
    int maxArrowsPosition() const override { return maxPosition; }
    void setMaxArrowsPosition(int position) override { maxPosition = position; }
    void setMaxArrowsIncrement(int increment) override { maxIncrement = increment; }
    void setStartAndAboutEnabled(bool enabled) override { startAndAboutEnabled = enabled; }
    void setPanelEnabled(bool enabled) override { panelEnabled = enabled; }
    void redrawVideoArea() override { ++redraws; }
    QPoint centre() const override { return {}; }
};

/// The "M.I." indicator and its box where a test does not look at them.
struct NoMotionView : MotionHost
{
    void showMotionIndicator(Indicator) override {}
    void setMotionIndicatorBoxShown(bool) override {}
    void setMotionIndicatorBoxChecked(bool) override {}
    void setStartEnabled(bool) override {}
    void showStatusNote(const QString &) override {}
};
