#include "core/net/ServedDocuments.h"

#include "core/net/MessageList.h"

CServedDocuments::CServedDocuments() {
    // Before the store's first publication the list is empty, not missing.
    auto empty = std::make_shared<Snapshot>();
    empty->List = std::make_shared<const std::string>(CMessageList().MakeDocument());
    m_current = std::move(empty);
}
