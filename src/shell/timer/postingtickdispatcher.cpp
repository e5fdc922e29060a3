#include "shell/timer/postingtickdispatcher.h"

#include <utility>

PostingTickDispatcher::PostingTickDispatcher(Post post)
    : m_post(std::move(post)), m_state(std::make_shared<State>())
{}

void PostingTickDispatcher::runAndWait(const std::function<void()> &delivery)
{
    std::uint64_t ticket = 0;
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->released)
            return;
        ticket = ++m_state->posted;
    }
    m_post([state = m_state, ticket, delivery] { deliverPosted(state, ticket, delivery); });

    std::unique_lock lock(m_state->mutex);
    m_state->finishedChanged.wait(lock,
                                  [&] { return m_state->released || m_state->finished >= ticket; });
}

void PostingTickDispatcher::release()
{
    {
        std::lock_guard lock(m_state->mutex);
        m_state->released = true;
    }
    m_state->finishedChanged.notify_all();
}

void PostingTickDispatcher::deliverPosted(const std::shared_ptr<State> &state, std::uint64_t ticket,
                                          const std::function<void()> &delivery)
{
    {
        std::lock_guard lock(state->mutex);
        if (state->released)
            return;
    }
    const auto finish = [&] {
        {
            std::lock_guard lock(state->mutex);
            state->finished = ticket;
        }
        state->finishedChanged.notify_all();
    };
    // A throwing handler must not leave the worker blocked for ever.
    try {
        delivery();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}
