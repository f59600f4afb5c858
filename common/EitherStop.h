#pragma once

#include <stop_token>

namespace tapelink {

// A stop token that is requested as soon as either of two others is: a worker's own stop and a Stop button's.
class EitherStop {
public:
    EitherStop(const std::stop_token& first, const std::stop_token& second)
        : m_first(first, Forward{&m_source}), m_second(second, Forward{&m_source}) {}
    EitherStop(const EitherStop&) = delete;
    EitherStop& operator=(const EitherStop&) = delete;

    std::stop_token token() const { return m_source.get_token(); }

private:
    struct Forward {
        std::stop_source* source;
        void operator()() const { source->request_stop(); }
    };

    std::stop_source m_source;  // before the callbacks, which may request it as they are made
    std::stop_callback<Forward> m_first;
    std::stop_callback<Forward> m_second;
};

}  // namespace tapelink
