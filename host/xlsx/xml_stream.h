#pragma once
// A streaming XML parse through expat, fed chunk by chunk. Element and attribute names come
// without their namespace prefix ("x:row" is "row"): writers differ in the prefixes they use,
// not in the names. A document type declaration is refused outright, so no entity a file
// declares is ever expanded, and elements nested deeper than any workbook part needs stop
// the parse.
#include <memory>
#include <string>
#include <string_view>

namespace host::xlsx {

class XmlHandler {
public:
    virtual ~XmlHandler() = default;
    // `attrs` is expat's list: name, value, name, value, ..., null.
    virtual void start(std::string_view name, const char** attrs) = 0;
    virtual void end(std::string_view name) { (void)name; }
    virtual void text(std::string_view chars) { (void)chars; }
};

// The value of attribute `name` (without prefix), or null.
const char* attribute(const char** attrs, std::string_view name);

class XmlStream {
public:
    XmlStream(XmlHandler& handler, std::string partName);
    ~XmlStream();
    XmlStream(const XmlStream&) = delete;
    XmlStream& operator=(const XmlStream&) = delete;

    // HostError, naming the part, when the XML is malformed or refused; a HostError thrown by
    // the handler passes through.
    void feed(std::string_view chunk);
    void finish();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace host::xlsx
