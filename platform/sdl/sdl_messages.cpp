// The thread's message queue. SDL events are turned into messages on the
// main thread; other threads (the audio callback) post through a mutex and
// wake a blocked wait with an SDL user event. A pending Paint is produced
// only when nothing else waits, as Windows does.
#include "platform/sdl/sdl_internal.h"

#include <atomic>
#include <deque>
#include <mutex>

namespace sdl_backend {

namespace {

struct MessageState {
    std::mutex mutex;
    std::deque<platform::Message> queue;
    std::atomic<bool> wakeUps{false}; // read by posting threads
};

MessageState state;

void translateEvent(const SDL_Event &event) {
    switch (event.type) {
    case SDL_WINDOWEVENT:
        handleWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    case SDL_TEXTINPUT:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    case SDL_MOUSEMOTION:
        handleInputEvent(event);
        break;
    case SDL_AUDIODEVICEREMOVED:
        noteAudioDeviceRemoved(event.adevice);
        break;
    default: // SDL_USEREVENT only wakes a wait; the rest concerns nobody here
        break;
    }
}

void translatePendingEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0)
        translateEvent(event);
}

bool popMessage(platform::Message &out) {
    std::lock_guard lock(state.mutex);
    if (state.queue.empty())
        return false;
    out = state.queue.front();
    state.queue.pop_front();
    return true;
}

bool queueEmpty() {
    std::lock_guard lock(state.mutex);
    return state.queue.empty();
}

} // namespace

void queueMessage(const platform::Message &msg) {
    std::lock_guard lock(state.mutex);
    state.queue.push_back(msg);
}

void enableWakeUps() {
    state.wakeUps = true;
}

} // namespace sdl_backend

namespace platform {

using namespace sdl_backend;

bool peekMessage(Message &out) {
    ensureVideo();
    translatePendingEvents();
    return popMessage(out) || takePendingPaint(out);
}

void waitMessage() {
    ensureVideo();
    translatePendingEvents();
    while (queueEmpty() && !paintPending()) {
        SDL_Event event;
        if (SDL_WaitEvent(&event) != 0)
            translateEvent(event);
        else
            SDL_Delay(10); // SDL failed to wait: do not spin
    }
}

void postMessage(const Message &msg) {
    queueMessage(msg);
    // Before SDL starts nobody can be blocked in a wait; the message is
    // found by the first look at the queue.
    if (state.wakeUps) {
        SDL_Event wake{};
        wake.type = SDL_USEREVENT;
        SDL_PushEvent(&wake);
    }
}

void postQuitMessage(int32_t exitCode) {
    Message quit;
    quit.kind = Msg::Quit;
    quit.code = static_cast<uint32_t>(exitCode);
    postMessage(quit);
}

} // namespace platform
