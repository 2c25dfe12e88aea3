#pragma once

#include "core/base/Properties.h"
#include "core/store/Group.h"
#include "core/xml/DocumentHandler.h"

#include <optional>
#include <string>
#include <vector>

// The property document: settings file, note files and transferred notes share one
// XML vocabulary. The model is public: callers fill records and presence flags
// before MakeDocument and read them after Parse.
class CPropParser {
public:
    // Collects one document's records while the XML reader runs. Its defaults are
    // what an element missing from a present section yields.
    class CPropertyHandler : public CDocumentHandler {
    public:
        CPropertyHandler() = default;
        ~CPropertyHandler() override = default;

        void characters(const char* text, int length) override;
        void startElement(const char* name, const CAttributeList& attributes) override;
        void endElement(const char* name) override;
        void endDocument() override;

        // A record is made when the document first touches it: most documents
        // lack most sections, and making every record cost a note document
        // several times the reading of its elements.
        ApplicationProperty& Application();
        SheetProperty& Sheet();
        NetworkProperty& Network();
        InformProperty& Inform();

        bool m_hasApplication = false;
        bool m_hasSheet = false;
        bool m_hasNetwork = false;
        bool m_hasInform = false;
        FontProperty m_font;
        bool m_hasFont = false;
        std::string m_body; // the last Message text decoded
        bool m_inMessage = false;
        bool m_hasGroupList = false;
        CGroup m_groups;
        std::string m_groupName;
        std::vector<GroupMember> m_groupMembers;
        bool m_inGroup = false;
        // The property of the current group once its GroupProperty has ended; it
        // is recorded with the members at the group's end tag, in one search.
        std::optional<FontProperty> m_groupProperty;
        bool m_inGroupProperty = false;
        // Not reset between groups: a GroupProperty lacking an element keeps the
        // value of the group before.
        FontProperty m_groupFont;

    private:
        FontProperty& FontTarget() { return m_inGroupProperty ? m_groupFont : m_font; }

        std::optional<ApplicationProperty> m_application;
        std::optional<SheetProperty> m_sheet;
        std::optional<NetworkProperty> m_network;
        std::optional<InformProperty> m_inform;
        // Records the property of a group that ends without its end tag.
        void KeepUnendedGroupProperty();
    };

    CPropParser() = default;
    virtual ~CPropParser() = default;

    // Reads a document from text up to its first zero byte. Returns the XML reader's
    // result; on anything but 1 nothing is taken over and every presence flag is clear.
    int Parse(const char* text);
    // Writes the model as document text (CR LF line ends) into document.
    void MakeDocument(std::string& document) const;
    std::string MakeDocument() const;

    void SetMessage(const void* data, int length);
    void SetGroupList(const CGroup& groups);

    ApplicationProperty m_application;
    bool m_hasApplication = false;
    SheetProperty m_sheet;
    bool m_hasSheet = false;
    FontProperty m_font;
    bool m_hasFont = false;
    NetworkProperty m_network;
    bool m_hasNetwork = false;
    InformProperty m_inform;
    bool m_hasInform = false;
    std::string m_body; // the note body (RTF bytes); empty = no body
    bool m_hasGroupList = false;
    CGroup m_groups;
};

// Every document begins with these 33 bytes; a receiver tells a note document from
// plain text by them.
inline constexpr char kPropertyDocumentPrefix[] = "<?xml version=\"1.0\" ?>\r\n<Quillet>";
