#pragma once

#include "shell/timer/tickdispatcher.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

// A hand-over that posts the delivery to the handler's thread through a caller-supplied
// post function (an event queue) and blocks the worker until that delivery has returned.
// Deliveries still queued after release() do nothing when they run, so the queue may
// outlive the dispatcher.
class PostingTickDispatcher : public TickDispatcher
{
public:
    using Post = std::function<void(std::function<void()>)>;

    explicit PostingTickDispatcher(Post post);

    void runAndWait(const std::function<void()> &delivery) override;
    void release() override;

private:
    struct State
    {
        std::mutex mutex;
        std::condition_variable finishedChanged;
        bool released = false;
        std::uint64_t posted = 0;
        std::uint64_t finished = 0;
    };

    static void deliverPosted(const std::shared_ptr<State> &state, std::uint64_t ticket,
                              const std::function<void()> &delivery);

    Post m_post;
    std::shared_ptr<State> m_state;
};
