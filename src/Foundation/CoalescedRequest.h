#pragma once

#include <utility>

// One request of a kind on its way at a time: asks that come while it is on its way fold into a single
// request after it, which sees everything they asked about. Every request sent must end (an answer, a
// failure or a timeout), or no further one is sent.
class CoalescedRequest {
public:
    // True when the request is to be sent now; false when it waits behind the one on its way.
    bool begin() {
        if (m_onItsWay) {
            m_wanted = true;
            return false;
        }
        m_onItsWay = true;
        return true;
    }
    // The request on its way has ended; true when another is to be sent now.
    bool end() {
        m_onItsWay = false;
        return std::exchange(m_wanted, false);
    }

private:
    bool m_onItsWay = false;
    bool m_wanted = false;
};
