// The listener lists of the input services: (user, callback) pairs told in the order
// they were added, each pair at most once.
#pragma once

#include <algorithm>
#include <vector>

template <typename Callback>
class ListenerList {
public:
    struct Listener {
        void* user;
        Callback callback;

        bool operator==(const Listener&) const = default;
    };

    // Appends the pair unless it is present; a null callback is never added.
    void Add(void* user, Callback callback)
    {
        const Listener listener{user, callback};
        if (callback && std::find(list_.begin(), list_.end(), listener) == list_.end())
            list_.push_back(listener);
    }

    // Removes the pair when present.
    void Remove(void* user, Callback callback)
    {
        const auto it = std::find(list_.begin(), list_.end(), Listener{user, callback});
        if (it != list_.end())
            list_.erase(it);
    }

    void Clear() { list_.clear(); }
    size_t Size() const { return list_.size(); }

    // Calls tell(listener) for each listener in order. Listeners may add or remove
    // listeners while being told: the walk goes by index and stays on an index whose
    // listener just removed itself.
    template <typename Tell>
    void TellEach(Tell tell)
    {
        for (size_t i = 0; i < list_.size();) {
            const Listener listener = list_[i];
            tell(listener);
            if (i < list_.size() && list_[i] == listener)
                ++i;
        }
    }

private:
    std::vector<Listener> list_;
};
