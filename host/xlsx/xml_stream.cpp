#include "xlsx/xml_stream.h"

#include <expat.h>

#include <cstring>
#include <exception>

#include "host/host_error.h"

namespace host::xlsx {

namespace {
constexpr int kMaxDepth = 64;

std::string_view localName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? std::string_view(colon + 1) : std::string_view(name);
}
}  // namespace

const char* attribute(const char** attrs, std::string_view name) {
    for (; *attrs; attrs += 2) {
        if (localName(attrs[0]) == name) return attrs[1];
    }
    return nullptr;
}

struct XmlStream::State {
    XML_Parser parser = nullptr;
    XmlHandler& handler;
    std::string partName;
    int depth = 0;
    std::string refused;  // why the parse was stopped by us
    std::exception_ptr handlerFailure;  // what a handler threw

    State(XmlHandler& h, std::string name) : handler(h), partName(std::move(name)) {}

    void stop(std::string why) {
        if (refused.empty()) refused = std::move(why);
        XML_StopParser(parser, XML_FALSE);
    }

    template <class F>
    static void guarded(void* data, F&& f) {
        auto* s = static_cast<State*>(data);
        if (!s->refused.empty() || s->handlerFailure) return;
        try {
            f(*s);
        } catch (...) {
            s->handlerFailure = std::current_exception();
            XML_StopParser(s->parser, XML_FALSE);
        }
    }

    static void onStart(void* data, const XML_Char* name, const XML_Char** attrs) {
        guarded(data, [&](State& s) {
            if (++s.depth > kMaxDepth) return s.stop("its elements are nested too deeply");
            s.handler.start(localName(name), attrs);
        });
    }
    static void onEnd(void* data, const XML_Char* name) {
        guarded(data, [&](State& s) {
            --s.depth;
            s.handler.end(localName(name));
        });
    }
    static void onText(void* data, const XML_Char* chars, int length) {
        guarded(data, [&](State& s) { s.handler.text(std::string_view(chars, static_cast<std::size_t>(length))); });
    }
    static void onDoctype(void* data, const XML_Char*, const XML_Char*, const XML_Char*, int) {
        static_cast<State*>(data)->stop("it declares a document type, which no workbook part has");
    }
    static void onEntity(void* data, const XML_Char*, int, const XML_Char*, int, const XML_Char*, const XML_Char*,
                         const XML_Char*, const XML_Char*) {
        static_cast<State*>(data)->stop("it declares entities");
    }

    [[noreturn]] void fail() {
        if (handlerFailure) std::rethrow_exception(handlerFailure);
        std::string why = refused;
        if (why.empty()) {
            why = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                  std::to_string(XML_GetCurrentLineNumber(parser));
        }
        throw HostError("the .xlsx workbook's part " + partName + " cannot be read: " + why);
    }
};

XmlStream::XmlStream(XmlHandler& handler, std::string partName)
    : state_(std::make_unique<State>(handler, std::move(partName))) {
    state_->parser = XML_ParserCreate(nullptr);
    if (!state_->parser) throw HostError("out of memory reading the .xlsx workbook");
    XML_SetUserData(state_->parser, state_.get());
    XML_SetElementHandler(state_->parser, &State::onStart, &State::onEnd);
    XML_SetCharacterDataHandler(state_->parser, &State::onText);
    XML_SetStartDoctypeDeclHandler(state_->parser, &State::onDoctype);
    XML_SetEntityDeclHandler(state_->parser, &State::onEntity);
    XML_SetParamEntityParsing(state_->parser, XML_PARAM_ENTITY_PARSING_NEVER);
}

XmlStream::~XmlStream() {
    if (state_->parser) XML_ParserFree(state_->parser);
}

void XmlStream::feed(std::string_view chunk) {
    if (XML_Parse(state_->parser, chunk.data(), static_cast<int>(chunk.size()), XML_FALSE) != XML_STATUS_OK)
        state_->fail();
}

void XmlStream::finish() {
    if (XML_Parse(state_->parser, "", 0, XML_TRUE) != XML_STATUS_OK) state_->fail();
}

}  // namespace host::xlsx
