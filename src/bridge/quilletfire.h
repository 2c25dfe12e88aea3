/*
 * quilletfire: hand a text or a note document to the Quillet program of the
 * current user, starting the program when it does not run.
 *
 *     QuilletFireMessage* message = quilletfire_message_new();
 *     quilletfire_message_put_string(message, "Buy milk");
 *     int result = quilletfire_send_to_app(message);   // 0 = S_OK, 1 = S_FALSE
 *     quilletfire_message_free(message);
 *
 * A text that begins with the 33 bytes <?xml version="1.0" ?>\r\n<Quillet>
 * becomes a note as written in a note file; anything else becomes the text of
 * a new plain note. Texts are UTF-8 and are sent byte for byte.
 *
 * Environment read by quilletfire_send_to_app:
 *   QUILLET_APP_PATH         the program to start (a bare name is looked up on PATH);
 *                            unset: the installed program, else "quillet" on PATH
 *   QUILLET_INSTANCE_NAME    the instance to look for instead of the user name
 *   XDG_RUNTIME_DIR          folder of the instance lock (else /tmp)
 *   XDG_CONFIG_HOME, HOME    folder of Quillet/localport.ini
 *   QUILLETFIRE_START_TIMEOUT_MS  how long to wait for a started program to open
 *                            its local listener (default 10000, at most 600000)
 *
 * A message object may be used from one thread at a time; distinct objects may
 * be used from different threads at once.
 */
#ifndef QUILLETFIRE_H
#define QUILLETFIRE_H

#include <stddef.h>

#if defined(QUILLETFIRE_BUILDING)
#define QUILLETFIRE_API __attribute__((visibility("default")))
#else
#define QUILLETFIRE_API
#endif

#define QUILLETFIRE_VERSION_MAJOR 1
#define QUILLETFIRE_VERSION_MINOR 0

/* Results of quilletfire_send_to_app, with the values of the HRESULT codes of the same names. */
#define QUILLETFIRE_S_OK 0
#define QUILLETFIRE_S_FALSE 1
#define QUILLETFIRE_E_INVALIDARG (-1)

#ifdef __cplusplus
extern "C" {
#endif

typedef struct QuilletFireMessage QuilletFireMessage;

/* What became of one quilletfire_message_deliver call. */
typedef enum QuilletFireStatus {
    QUILLETFIRE_DELIVERED = 0,       /* connected and sent the whole text: S_OK */
    QUILLETFIRE_NOTHING_TO_SEND = 1, /* the text was never set; nothing was done: S_OK */
    QUILLETFIRE_NOT_STARTED = 2,     /* not running and could not be started: S_FALSE */
    QUILLETFIRE_START_TIMEOUT = 3,   /* started, but its listener did not come up in time: S_FALSE */
    QUILLETFIRE_NO_PORT = 4,         /* running, but localport.ini is missing or unreadable: S_OK */
    QUILLETFIRE_CONNECT_FAILED = 5,  /* running, but its local listener refused the connection: S_OK */
    QUILLETFIRE_SEND_FAILED = 6,     /* connected, but the text could not be sent in full: S_OK */
    QUILLETFIRE_INVALID_ARGUMENT = 7 /* no message object: E_INVALIDARG */
} QuilletFireStatus;

/* A new message object with no text set, or NULL when out of memory. */
QUILLETFIRE_API QuilletFireMessage* quilletfire_message_new(void);
/* Frees the object; NULL is allowed. */
QUILLETFIRE_API void quilletfire_message_free(QuilletFireMessage* message);

/* Sets the text to `length` bytes at `bytes` (which may hold zero bytes). Returns
 * QUILLETFIRE_S_OK, or QUILLETFIRE_E_INVALIDARG for a NULL object, NULL bytes with a
 * non-zero length, or when out of memory (the previous text is then kept). */
QUILLETFIRE_API int quilletfire_message_put(QuilletFireMessage* message, const char* bytes, size_t length);
/* Sets the text to the zero-terminated string `text` (NULL counts as ""). */
QUILLETFIRE_API int quilletfire_message_put_string(QuilletFireMessage* message, const char* text);

/* Makes sure the program runs (starting it when needed) and sends it the text.
 * QUILLETFIRE_S_OK when the program was running or was started and a delivery was
 * attempted (also when the text was never set: nothing is sent then);
 * QUILLETFIRE_S_FALSE when it was not running and could not be started in time;
 * QUILLETFIRE_E_INVALIDARG for a NULL object. Never blocks for ever. */
QUILLETFIRE_API int quilletfire_send_to_app(const QuilletFireMessage* message);

/* The same work as quilletfire_send_to_app, telling what happened. */
QUILLETFIRE_API QuilletFireStatus quilletfire_message_deliver(const QuilletFireMessage* message);
/* The quilletfire_send_to_app result that belongs to a status. */
QUILLETFIRE_API int quilletfire_status_result(QuilletFireStatus status);
/* A short English description of a status (a static string). */
QUILLETFIRE_API const char* quilletfire_status_text(QuilletFireStatus status);

/* The library's version, "1.0.0". */
QUILLETFIRE_API const char* quilletfire_version(void);

#ifdef __cplusplus
} /* extern "C" */

#include <new>
#include <string_view>

/* The control's interface for C++ callers: a thin owner of a QuilletFireMessage. */
class PinletMessage {
public:
    PinletMessage() : m_message(quilletfire_message_new()) {
        if (m_message == nullptr)
            throw std::bad_alloc();
    }
    ~PinletMessage() { quilletfire_message_free(m_message); }
    PinletMessage(const PinletMessage&) = delete;
    PinletMessage& operator=(const PinletMessage&) = delete;
    PinletMessage(PinletMessage&& other) noexcept : m_message(other.m_message) { other.m_message = nullptr; }
    PinletMessage& operator=(PinletMessage&& other) noexcept {
        if (this != &other) {
            quilletfire_message_free(m_message);
            m_message = other.m_message;
            other.m_message = nullptr;
        }
        return *this;
    }

    int put_Message(std::string_view text) { return quilletfire_message_put(m_message, text.data(), text.size()); }
    int put_Message(const char* text) { return quilletfire_message_put_string(m_message, text); }
    int SendToApp() const { return quilletfire_send_to_app(m_message); }
    QuilletFireStatus Deliver() const { return quilletfire_message_deliver(m_message); }

private:
    QuilletFireMessage* m_message;
};
#endif /* __cplusplus */

#endif /* QUILLETFIRE_H */
