#pragma once
// Objects the debugger still holds after their owners went (a removal it refused), kept until a
// later request succeeds. Safe from any thread.

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

namespace dk {

template <typename T>
class RetryList {
public:
    void add(std::shared_ptr<T> item)
    {
        std::lock_guard lock(m_mutex);
        m_items.push_back(std::move(item));
    }

    // Asks release(item) for each, outside the lock; keeps those it answers false for. Answers how
    // many are kept.
    template <typename Release>
    std::size_t retry(Release release)
    {
        std::vector<std::shared_ptr<T>> items;
        {
            std::lock_guard lock(m_mutex);
            items.swap(m_items);
        }
        std::vector<std::shared_ptr<T>> kept;
        for (auto& item : items)
            if (!release(*item))
                kept.push_back(std::move(item));
        std::lock_guard lock(m_mutex);
        for (auto& item : kept)
            m_items.push_back(std::move(item));
        return m_items.size();
    }

private:
    std::mutex m_mutex;
    std::vector<std::shared_ptr<T>> m_items;
};

} // namespace dk
