#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

// Hands work from one thread to another, holding at most a few items: the producer waits while the
// queue is full, the consumer while it is empty. Close() ends it once what it holds is taken.
template <typename T> class BoundedQueue {
public:
    explicit BoundedQueue(std::size_t most) : m_most(most) {}

    void Push(T item) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_items.size() < m_most; });
        m_items.push_back(std::move(item));
        m_changed.notify_all();
    }
    void Close() {
        const std::lock_guard lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }
    // The next item; empty once the queue is closed and empty.
    std::optional<T> Pop() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_items.empty() || m_closed; });
        if (m_items.empty())
            return std::nullopt;
        T item = std::move(m_items.front());
        m_items.pop_front();
        m_changed.notify_all();
        return item;
    }

private:
    std::size_t m_most;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<T> m_items;
    bool m_closed = false;
};
