#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

namespace frayline {

// A bounded first-in first-out queue between threads. Push waits while it is
// full, Pop while it is empty; Close wakes both: pushes are refused from
// then on, and pops drain what is left, then give nothing.
template <typename T> class Channel {
public:
    explicit Channel(std::size_t capacity) : capacity_(capacity) {}

    // False when the channel is closed; the value is then dropped.
    bool Push(T value)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        notFull_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
        if (closed_)
            return false;
        items_.push_back(std::move(value));
        notEmpty_.notify_one();
        return true;
    }

    // Nothing once the channel is closed and empty.
    std::optional<T> Pop()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        notEmpty_.wait(lock, [&] { return closed_ || !items_.empty(); });
        if (items_.empty())
            return std::nullopt;
        T value = std::move(items_.front());
        items_.pop_front();
        notFull_.notify_one();
        return value;
    }

    // Like Pop, but gives nothing at once where Pop would wait.
    std::optional<T> TryPop()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (items_.empty())
            return std::nullopt;
        T value = std::move(items_.front());
        items_.pop_front();
        notFull_.notify_one();
        return value;
    }

    void Close()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        notEmpty_.notify_all();
        notFull_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable notEmpty_;
    std::condition_variable notFull_;
    std::deque<T> items_;
    std::size_t capacity_;
    bool closed_ = false;
};

}  // namespace frayline
