#pragma once
// The capture core as the web view sees it: a copy of how the run stands, kept up to date from
// the core's signals on its thread and read by the server's threads, and Start/stop asked by a
// page, queued to the core's thread.

#include "web/webstatus.h"

#include <QObject>

#include <mutex>

class CaptureCore;
class StoreSpace;

class WebRunBridge : public QObject, public WebRun
{
    Q_OBJECT
public:
    /// core and space (the store's file system) must outlive the bridge; a server that calls it
    /// must be closed before the bridge goes.
    WebRunBridge(CaptureCore &core, StoreSpace &space, QObject *parent = nullptr);

    WebStatus status() override;
    void start() override;
    void stop() override;

    /// When the next picture of a run with status is due, its due times on a grid from
    /// gridStart; invalid when none is due by time (stopped, or pictures taken on motion).
    static QDateTime nextDue(const WebStatus &status, const QDateTime &gridStart,
                             const QDateTime &now);

private:
    void restartGrid();
    void wire();
    /// Takes the run's values that have no signal of their own, with the one that changed.
    void refresh();
    void press(bool wantRunning);

    CaptureCore &m_core;
    StoreSpace &m_space;
    std::mutex m_mutex;
    WebStatus m_status;    // under m_mutex
    QDateTime m_gridStart; // under m_mutex: when the run's due times began
};
