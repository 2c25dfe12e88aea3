#include "core/net/NoteClient.h"

#include "core/base/Strings.h"
#include "core/net/EventLoop.h"
#include "core/net/HTTPRequest.h"
#include "core/net/HTTPResponse.h"
#include "core/net/InboundSlot.h"
#include "core/net/ListHandler.h"
#include "core/net/SendMessage.h"
#include "core/net/SendMessageResponse.h"
#include "core/stream/MemOutputStream.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

struct CNoteClient::State : std::enable_shared_from_this<CNoteClient::State> {
    struct Pending {
        std::shared_ptr<CSendMessage> Socket;
        ClientOutcome::EKind Kind = ClientOutcome::EKind::SendNote;
        std::string Host;
        int Port = 0;
        int NoteId = 0;
        // A connector thread is still inside SendTo: only it may close the socket.
        bool Connecting = false;
    };

    State(CClientListener* listener, CInboundSlot* inbound) : Listener(listener), Inbound(inbound) {}

    // Takes the request out of the pending map; a request that is no longer there
    // was cancelled and is not reported.
    void Finish(int requestId, ClientOutcome outcome);

    mutable std::mutex Mutex; // guards Pending and NextId
    std::map<int, Pending> PendingRequests;
    int NextId = 1;
    std::atomic<int> ConnectTimeoutMs{CSendMessage::kDefaultConnectTimeoutMs};

    std::mutex ListenerMutex; // held while the listener is called, so the destructor can wait it out
    CClientListener* Listener;
    CInboundSlot* const Inbound;
    std::atomic<bool> Background{false};
    std::atomic<int> AnswerTimeoutMs{
        static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(CSendMessage::kAnswerTimeout).count())};
    // Runs the answer deadlines; stopped by the client's destructor.
    std::shared_ptr<CEventLoop> Timers = std::make_shared<CEventLoop>();

    // Starts the deadline of an answer: the request was sent just now.
    void ArmDeadline(int requestId, const std::shared_ptr<State>& self);
};

namespace {

// The connector threads of every client. Shared, so that a client going away
// (a dialog closed during a connect) never waits for one: what is still
// connecting ends in the background and its outcome is dropped.
class CConnectorPool {
public:
    // Few threads: an unreachable host costs one of them the connect time-out,
    // and a group sent to many destinations must not make hundreds.
    static constexpr size_t kMaxConnectors = 4;

    static CConnectorPool& Instance() {
        static CConnectorPool pool;
        return pool;
    }
    ~CConnectorPool() { Stop(); }

    void Enqueue(std::function<void()> job);
    // Joins every connector; later jobs start them again.
    void Stop();

private:
    void RunConnector();

    std::mutex QueueMutex; // guards the members below
    std::condition_variable QueueReady;
    std::deque<std::function<void()>> Jobs;
    std::vector<std::thread> Connectors;
    size_t IdleConnectors = 0;
    bool Stopping = false;
};

void CConnectorPool::Enqueue(std::function<void()> job) {
    std::lock_guard<std::mutex> lock(QueueMutex);
    if (Stopping)
        return;
    Jobs.push_back(std::move(job));
    if (IdleConnectors >= Jobs.size() || Connectors.size() >= kMaxConnectors) {
        QueueReady.notify_one();
        return;
    }
    try {
        Connectors.emplace_back([this] { RunConnector(); });
    } catch (const std::system_error&) {
        // No thread to be had: a running connector takes the job in turn.
        if (Connectors.empty())
            Jobs.pop_back();
    }
}

void CConnectorPool::RunConnector() {
    std::unique_lock<std::mutex> lock(QueueMutex);
    for (;;) {
        ++IdleConnectors;
        QueueReady.wait(lock, [this] { return Stopping || !Jobs.empty(); });
        --IdleConnectors;
        if (Stopping)
            return;
        std::function<void()> job = std::move(Jobs.front());
        Jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

void CConnectorPool::Stop() {
    std::vector<std::thread> connectors;
    {
        std::lock_guard<std::mutex> lock(QueueMutex);
        Stopping = true;
        Jobs.clear();
        connectors.swap(Connectors);
    }
    QueueReady.notify_all();
    // A connector in the middle of a connect finishes it first (bounded by the
    // connect time-out); its request was cancelled, so it closes its socket.
    for (std::thread& connector : connectors)
        connector.join();
    std::lock_guard<std::mutex> lock(QueueMutex);
    Stopping = false;
    IdleConnectors = 0;
}

} // namespace

void CNoteClient::State::ArmDeadline(int requestId, const std::shared_ptr<State>& self) {
    std::weak_ptr<State> weak = self;
    const std::chrono::milliseconds limit(AnswerTimeoutMs.load());
    Timers->Post([weak, requestId, limit, timers = Timers.get()] {
        timers->AddTimer(limit, [weak, requestId] {
            ClientOutcome outcome;
            outcome.ErrorId = strings::kMessageRefused;
            outcome.TimedOut = true;
            if (const auto state = weak.lock())
                state->Finish(requestId, std::move(outcome));
        });
    });
}

void CNoteClient::State::Finish(int requestId, ClientOutcome outcome) {
    std::shared_ptr<CSendMessage> socket;
    {
        std::lock_guard<std::mutex> lock(Mutex);
        const auto it = PendingRequests.find(requestId);
        if (it == PendingRequests.end())
            return;
        Pending& pending = it->second;
        socket = std::move(pending.Socket);
        outcome.RequestId = requestId;
        outcome.Kind = pending.Kind;
        outcome.Host = std::move(pending.Host);
        outcome.Port = pending.Port;
        outcome.NoteId = pending.NoteId;
        PendingRequests.erase(it);
    }
    // One request per connection: the answer is read, the connection is done.
    socket->Close();

    if (outcome.Kind == ClientOutcome::EKind::Fetch && outcome.ErrorId == 0 && !outcome.Body.empty() &&
        Inbound != nullptr)
        Inbound->PostInbound(outcome.Body, CInboundSlot::kNoteDocument);

    std::lock_guard<std::mutex> lock(ListenerMutex);
    if (Listener != nullptr)
        Listener->OnOutcome(outcome);
}

namespace {

using EKind = ClientOutcome::EKind;

// Reads the answer to a delivery, a plain text or a fetch.
class CSendResponse : public CSendMessageResponse {
public:
    CSendResponse(std::weak_ptr<CNoteClient::State> state, EKind kind) : m_state(std::move(state)), m_kind(kind) {}

    void OnResponse(CInputStream* stream, std::uintptr_t parameter) override {
        CHTTPResponse response;
        const bool parsed = response.Parse(stream);
        ClientOutcome outcome;
        outcome.Status = parsed ? response.GetStatus() : 0;
        if (outcome.Status == 200) {
            if (m_kind == EKind::Fetch)
                outcome.Body = response.GetBodyText();
        } else if (outcome.Status == 401 && m_kind != EKind::SendText) {
            outcome.ErrorId = strings::kAuthenticationFailed;
        } else {
            // Refused, an answer that cannot be read, or none at all.
            outcome.ErrorId = strings::kMessageRefused;
        }
        if (const auto state = m_state.lock())
            state->Finish(static_cast<int>(parameter), std::move(outcome));
    }

private:
    std::weak_ptr<CNoteClient::State> m_state;
    EKind m_kind;
};

// Reads the answer to a list request.
class CListResponse : public CSendMessageResponse {
public:
    explicit CListResponse(std::weak_ptr<CNoteClient::State> state) : m_state(std::move(state)) {}

    void OnResponse(CInputStream* stream, std::uintptr_t parameter) override {
        CHTTPResponse response;
        const bool parsed = response.Parse(stream);
        ClientOutcome outcome;
        outcome.Status = parsed ? response.GetStatus() : 0;
        if (!parsed)
            outcome.ErrorId = strings::kMessageRefused;
        else if (outcome.Status == 401)
            outcome.ErrorId = strings::kAuthenticationFailed;
        else if (outcome.Status != 200)
            outcome.ErrorId = strings::kListRetrieveFailed;
        else
            outcome.ListParsed = ParseMessageList(response.GetBodyText(), outcome.List);
        if (const auto state = m_state.lock())
            state->Finish(static_cast<int>(parameter), std::move(outcome));
    }

private:
    std::weak_ptr<CNoteClient::State> m_state;
};

// The Host header wants an IPv6 address in brackets, or its colons would be
// taken for the port's.
std::string HostHeaderName(const std::string& host) {
    if (host.find(':') != std::string::npos && (host.empty() || host.front() != '['))
        return "[" + host + "]";
    return host;
}

void PrepareRequest(CHTTPRequest& request, int method, const std::string& host, int port, const std::string& path) {
    request.SetMethod(method);
    request.SetHost(HostHeaderName(host), static_cast<unsigned short>(port));
    request.SetPath(path);
}

void SetCredentials(CHTTPRequest& request, const std::string& user, const std::string& password, bool digest) {
    if (!user.empty() || !password.empty())
        request.SetAuthorization(user, password, digest);
}

// The connector's half of a background start.
void ConnectInBackground(CNoteClient::State& state, const std::shared_ptr<CSendMessage>& socket, int id,
                         const std::string& host, int port, const std::string& bytes) {
    {
        std::lock_guard<std::mutex> lock(state.Mutex);
        if (state.PendingRequests.count(id) == 0)
            return; // cancelled before it was begun
    }
    const bool sent = socket->SendTo(host, port, bytes.data(), static_cast<int>(bytes.size()));
    bool cancelled = false;
    {
        std::lock_guard<std::mutex> lock(state.Mutex);
        const auto it = state.PendingRequests.find(id);
        if (it == state.PendingRequests.end())
            cancelled = true;
        else
            it->second.Connecting = false;
    }
    if (cancelled) {
        socket->Close();
        return;
    }
    if (!sent) {
        ClientOutcome outcome;
        outcome.ErrorId = socket->GetErrorId();
        state.Finish(id, std::move(outcome));
        return;
    }
    state.ArmDeadline(id, state.shared_from_this());
}

// Registers the request, then connects and sends it. The entry exists before the
// socket can be called back, so the answer always finds it.
CNoteClient::Started Start(const std::shared_ptr<CNoteClient::State>& state,
                           const std::shared_ptr<CSendMessageResponse>& response, EKind kind, const std::string& host,
                           int port, int noteId, CHTTPRequest& request) {
    if (port < 0 || port > 65535)
        return {0, strings::kInvalidDestination};

    CMemOutputStream out(1024);
    request.Write(&out);

    auto socket = std::make_shared<CSendMessage>();
    socket->SetConnectTimeout(state->ConnectTimeoutMs.load());
    int id;
    {
        std::lock_guard<std::mutex> lock(state->Mutex);
        id = state->NextId;
        state->NextId = state->NextId == INT32_MAX ? 1 : state->NextId + 1;
        state->PendingRequests[id] = CNoteClient::State::Pending{socket, kind, host, port, noteId};
    }
    socket->SetResponse(response, static_cast<std::uintptr_t>(id));
    if (state->Background) {
        {
            std::lock_guard<std::mutex> lock(state->Mutex);
            state->PendingRequests[id].Connecting = true;
        }
        std::weak_ptr<CNoteClient::State> weak = state;
        CConnectorPool::Instance().Enqueue([weak, socket, id, host, port, bytes = out.ToString()] {
            const auto alive = weak.lock();
            if (alive)
                ConnectInBackground(*alive, socket, id, host, port, bytes);
        });
        return {id, 0};
    }
    if (!socket->SendTo(host, port, out.GetBuffer(), out.GetLength())) {
        std::lock_guard<std::mutex> lock(state->Mutex);
        state->PendingRequests.erase(id);
        return {0, socket->GetErrorId()};
    }
    state->ArmDeadline(id, state);
    return {id, 0};
}

} // namespace

CNoteClient::CNoteClient(CClientListener* listener, CInboundSlot* inbound)
    : m_state(std::make_shared<State>(listener, inbound)) {
    m_state->Timers->Start();
}

CNoteClient::~CNoteClient() {
    // Joins only the deadline thread, which never waits on anything.
    m_state->Timers->Stop();
    {
        std::lock_guard<std::mutex> lock(m_state->ListenerMutex);
        m_state->Listener = nullptr;
    }
    CancelAll();
}

void CNoteClient::StopBackground() {
    CConnectorPool::Instance().Stop();
}

CNoteClient::Started CNoteClient::SendNote(const std::string& host, int port, int noteId, std::string_view document) {
    CHTTPRequest request;
    PrepareRequest(request, CHTTPRequest::kPut, host, port, "/Message/" + std::to_string(noteId));
    request.SetBody(document.data(), static_cast<int>(document.size()), "text/x-quillet");
    return Start(m_state, std::make_shared<CSendResponse>(m_state, EKind::SendNote), EKind::SendNote, host, port,
                 noteId, request);
}

std::vector<CNoteClient::Started> CNoteClient::SendNoteTo(int noteId, std::string_view document,
                                                          const std::vector<DestEntry>& destinations) {
    std::vector<Started> started;
    started.reserve(destinations.size());
    for (const DestEntry& destination : destinations)
        started.push_back(SendNote(destination.Name, destination.Port, noteId, document));
    return started;
}

CNoteClient::Started CNoteClient::SendText(const std::string& host, int port, std::string_view text) {
    CHTTPRequest request;
    PrepareRequest(request, CHTTPRequest::kPut, host, port, "/Message");
    request.SetBody(text.data(), static_cast<int>(text.size()), "text/plain");
    return Start(m_state, std::make_shared<CSendResponse>(m_state, EKind::SendText), EKind::SendText, host, port, 0,
                 request);
}

CNoteClient::Started CNoteClient::FetchNote(const std::string& host, int port, int noteId, const std::string& user,
                                            const std::string& password, bool digest) {
    CHTTPRequest request;
    PrepareRequest(request, CHTTPRequest::kGet, host, port, "/Message/" + std::to_string(noteId));
    SetCredentials(request, user, password, digest);
    return Start(m_state, std::make_shared<CSendResponse>(m_state, EKind::Fetch), EKind::Fetch, host, port, noteId,
                 request);
}

CNoteClient::Started CNoteClient::RequestList(const std::string& host, int port, const std::string& user,
                                              const std::string& password, bool digest) {
    CHTTPRequest request;
    PrepareRequest(request, CHTTPRequest::kGet, host, port, "/List");
    SetCredentials(request, user, password, digest);
    return Start(m_state, std::make_shared<CListResponse>(m_state), EKind::List, host, port, 0, request);
}

bool CNoteClient::Cancel(int requestId) {
    std::shared_ptr<CSendMessage> socket;
    {
        std::lock_guard<std::mutex> lock(m_state->Mutex);
        const auto it = m_state->PendingRequests.find(requestId);
        if (it == m_state->PendingRequests.end())
            return false;
        if (!it->second.Connecting)
            socket = std::move(it->second.Socket);
        m_state->PendingRequests.erase(it);
    }
    // Closing outside the lock: an answer being read fails at once and finds no
    // entry. A socket still connecting is closed by its connector.
    if (socket)
        socket->Close();
    return true;
}

void CNoteClient::CancelAll() {
    std::map<int, State::Pending> pending;
    {
        std::lock_guard<std::mutex> lock(m_state->Mutex);
        pending.swap(m_state->PendingRequests);
    }
    for (auto& entry : pending) {
        if (!entry.second.Connecting)
            entry.second.Socket->Close();
    }
}

int CNoteClient::PendingCount() const {
    std::lock_guard<std::mutex> lock(m_state->Mutex);
    return static_cast<int>(m_state->PendingRequests.size());
}

void CNoteClient::SetConnectTimeout(int milliseconds) {
    m_state->ConnectTimeoutMs = milliseconds;
}

void CNoteClient::SetAnswerTimeout(std::chrono::milliseconds limit) {
    m_state->AnswerTimeoutMs = static_cast<int>(limit.count());
}

void CNoteClient::SetBackgroundStart(bool background) {
    m_state->Background = background;
}
