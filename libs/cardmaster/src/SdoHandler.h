// SdoHandler (SDO_HDL) - one per open board: holds one SDO request at a
// time and runs it on a worker thread of its own. The worker sends the
// request to the firmware (a download's data in pieces of up to 241
// bytes), collects the answer in pieces, each awaited for at most the SDO
// time-out (any sign of life from the firmware starts the wait anew), and
// ends with CM_ERR_TIMEOUT when one does not come. States: idle, running,
// done, failed.
//
// Usage:
//   SdoHandler sdo(queues, 400);  sdo.start();
//   sdo.put(request);                      // CM_ERR_SDO_RUNNING while one runs
//   ... the request's event fires ...
//   sdo.get(data, &length, &abort);        // CM_ERR_EMPTY while it runs
//   sdo.stop();
#ifndef CARDMASTER_SDOHANDLER_H
#define CARDMASTER_SDOHANDLER_H

#include "QueManager.h"

#include <cardmaster/cardmaster.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace cardmaster {

struct SdoRequest {
    std::uint8_t node = 0;
    std::uint8_t sdoNumber = 1;
    std::uint8_t direction = CM_SDO_UPLOAD;
    std::uint8_t mode = CM_SDO_NORMAL;
    std::uint16_t index = 0;
    std::uint8_t subIndex = 0;
    std::uint16_t length = 0;  // download: data bytes; upload: bytes wanted
    const std::uint8_t* data = nullptr;  // download data, copied by put()
    int event = -1;            // file descriptor signalled at the end, or -1
};

class SdoHandler {
public:
    // How long cancel() waits for the handler to be free.
    static constexpr int kCancelWaitMs = 17999;

    SdoHandler(QueManager& queues, std::uint16_t timeout);
    ~SdoHandler();
    SdoHandler(const SdoHandler&) = delete;
    SdoHandler& operator=(const SdoHandler&) = delete;

    COP_CM_RESULT start();
    // Ends the worker; a running request fails with CM_ERR_SDO_CANCELLED.
    void stop();

    COP_CM_RESULT put(const SdoRequest& request);
    COP_CM_RESULT get(std::uint8_t* data, std::uint16_t* length, std::uint32_t* abort);
    // Stops the running request; CM_OK once the handler is free, else
    // CM_ERR_TIMEOUT. *transfer and *node: the last request (transfer 0
    // when there was none), for the firmware to drop as well.
    COP_CM_RESULT cancel(std::uint16_t* transfer, std::uint8_t* node);

    void setTimeout(std::uint16_t timeout) { m_timeout = timeout; }
    std::uint16_t timeout() const { return m_timeout; }

private:
    enum class State { Idle, Running, Done, Failed };

    void work();
    // Runs the request; the result, the data and the abort code land in the members.
    COP_CM_RESULT transfer(std::uint16_t number, const SdoRequest& request, const std::vector<std::uint8_t>& data);
    bool sendPiece(const std::uint8_t* block, std::uint32_t size);
    bool cancelled();
    void finish(State state, COP_CM_RESULT result);

    QueManager& m_queues;
    std::atomic<std::uint16_t> m_timeout;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    State m_state = State::Idle;
    bool m_pending = false;      // put() gave the worker a request
    bool m_cancel = false;
    bool m_stop = false;
    bool m_lastCancelled = false;
    SdoRequest m_request;
    std::vector<std::uint8_t> m_data;      // download data, then the received ones
    std::uint16_t m_received = 0;
    std::uint32_t m_abort = 0;
    COP_CM_RESULT m_result = CM_OK;
    std::uint16_t m_transfer = 0;
    std::thread m_thread;
};

}  // namespace cardmaster

#endif
