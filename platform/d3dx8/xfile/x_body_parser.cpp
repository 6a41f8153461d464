#include "d3dx8/xfile/x_body_parser.h"

#include <algorithm>
#include <charconv>

namespace nol::d3dx8::xfile {

XBodyParser::XBodyParser(const uint8_t* body, size_t size, const XHeader& header, XTemplateScope& scope)
    : body_(body),
      size_(size),
      lex_(body, size, header.encoding == XEncoding::Binary, header.floatBits),
      scope_(scope) {}

XParseResult XBodyParser::Run(std::vector<std::unique_ptr<XData>>* out) {
    for (;;) {
        XToken t = lex_.Next();
        switch (t.kind) {
        case XTok::End: return result_;
        case XTok::Error: LexFail(); return result_;
        case XTok::Template:
            if (!Template()) return result_;
            break;
        case XTok::Comma:
        case XTok::Semicolon: break;
        default: {
            if (!NameLike(t)) {
                Fail(XStatus::ParseError, t.offset, std::string("unexpected ") + Describe(t.kind) + " at the top level");
                return result_;
            }
            std::unique_ptr<XData> obj;
            if (!Object(t, 0, obj)) return result_;
            if (obj && out) out->push_back(std::move(obj));
            break;
        }
        }
    }
}

// ---- diagnostics ---------------------------------------------------------------

const char* XBodyParser::Describe(XTok kind) {
    switch (kind) {
    case XTok::End: return "end of file";
    case XTok::Error: return "damaged data";
    case XTok::Name: return "name";
    case XTok::String: return "string";
    case XTok::Number:
    case XTok::Integer: return "number";
    case XTok::Guid: return "GUID";
    case XTok::IntegerList: return "integer list";
    case XTok::FloatList: return "float list";
    case XTok::OBrace: return "'{'";
    case XTok::CBrace: return "'}'";
    case XTok::OParen: return "'('";
    case XTok::CParen: return "')'";
    case XTok::OBracket: return "'['";
    case XTok::CBracket: return "']'";
    case XTok::OAngle: return "'<'";
    case XTok::CAngle: return "'>'";
    case XTok::Dot: return "'.'";
    case XTok::Comma: return "','";
    case XTok::Semicolon: return "';'";
    case XTok::Template: return "'template'";
    case XTok::Array: return "'array'";
    case XTok::Primitive: return "type keyword";
    }
    return "token";
}

std::string XBodyParser::Where(size_t offset) const {
    if (lex_.Binary()) return "at byte " + std::to_string(offset) + " of the body";
    offset = std::min(offset, size_);
    // Line 1 is the header line; the body starts after its 16 bytes.
    return "on line " + std::to_string(1 + std::count(body_, body_ + offset, '\n'));
}

bool XBodyParser::Fail(XStatus status, size_t offset, const std::string& reason) {
    if (result_.Ok()) {
        result_.status = status;
        result_.error = reason + " " + Where(offset);
    }
    return false;
}

bool XBodyParser::Charge(size_t bytes, size_t offset) {
    treeOverhead_ += bytes;
    if (treeOverhead_ <= kMaxTreeOverhead) return true;
    return Fail(XStatus::TooLarge, offset,
                "the file's objects would need more than " + std::to_string(kMaxTreeOverhead >> 20) +
                    " MB of memory");
}

bool XBodyParser::LexFail() { return Fail(XStatus::ParseError, lex_.ErrorOffset(), lex_.Error()); }

bool XBodyParser::NameLike(const XToken& t) const {
    if (t.kind == XTok::Name) return true;
    // In text, a word that happens to be a keyword or start like a number can
    // still serve as an object's name.
    return !lex_.Binary() &&
           (t.kind == XTok::Number || t.kind == XTok::Template || t.kind == XTok::Array || t.kind == XTok::Primitive);
}

bool XBodyParser::Expect(XTok kind, const char* what) {
    XToken t = lex_.Next();
    if (t.kind == kind) return true;
    if (t.kind == XTok::Error) return LexFail();
    return Fail(XStatus::ParseError, t.offset,
                std::string("expected ") + what + ", found " + Describe(t.kind));
}

// ---- templates -----------------------------------------------------------------

bool XBodyParser::Template() {
    XToken name = lex_.Next();
    if (!NameLike(name)) {
        if (name.kind == XTok::Error) return LexFail();
        return Fail(XStatus::ParseError, name.offset, "expected a template name");
    }
    auto t = std::make_shared<XTemplate>();
    t->name = std::string(name.text);
    if (!Expect(XTok::OBrace, "'{' after the template name")) return false;
    if (lex_.Peek().kind == XTok::Guid) t->guid = lex_.GuidOf(lex_.Next());

    for (;;) {
        XToken tok = lex_.Next();
        if (tok.kind == XTok::CBrace) break;
        if (tok.kind == XTok::OBracket) {
            if (!Restrictions(*t) || !Expect(XTok::CBrace, "'}' after the restrictions")) return false;
            break;
        }
        if (tok.kind == XTok::Array) {
            if (!ArrayMember(*t)) return false;
            continue;
        }
        XMember m;
        if (tok.kind == XTok::Primitive) {
            m.primitive = tok.primitive;
        } else if (NameLike(tok)) {
            m.type = scope_.Find(tok.text);
            if (!m.type)
                return Fail(XStatus::ParseError, tok.offset,
                            "template " + t->name + " uses the unknown template " + std::string(tok.text));
        } else {
            if (tok.kind == XTok::Error) return LexFail();
            return Fail(XStatus::ParseError, tok.offset,
                        std::string("unexpected ") + Describe(tok.kind) + " in template " + t->name);
        }
        if (NameLike(lex_.Peek())) m.name = std::string(lex_.Next().text);
        if (!Expect(XTok::Semicolon, "';' after a template member")) return false;
        t->members.push_back(std::move(m));
    }
    std::string error;
    if (!t->Finish(error)) return Fail(XStatus::ParseError, name.offset, error);
    // Declarations count against the same bound as objects: "template A{}" is a
    // dozen bytes of text.
    const size_t cost = sizeof(XTemplate) + t->name.size() + t->members.size() * sizeof(XMember) +
                        t->allowed.size() * sizeof(std::string) + 64;
    if (!Charge(cost, name.offset)) return false;
    scope_.Add(std::move(t));
    return true;
}

bool XBodyParser::Restrictions(XTemplate& t) {
    if (lex_.Peek().kind == XTok::Dot) {
        for (int i = 0; i < 3; ++i)
            if (!Expect(XTok::Dot, "'...'")) return false;
        t.restriction = XRestriction::Open;
        return Expect(XTok::CBracket, "']' after '...'");
    }
    for (;;) {
        XToken tok = lex_.Next();
        if (tok.kind == XTok::CBracket) break;
        if (tok.kind == XTok::Comma || tok.kind == XTok::Guid) continue;
        if (!NameLike(tok)) {
            if (tok.kind == XTok::Error) return LexFail();
            return Fail(XStatus::ParseError, tok.offset, "malformed restrictions in template " + t.name);
        }
        t.allowed.emplace_back(tok.text);
    }
    t.restriction = t.allowed.empty() ? XRestriction::Closed : XRestriction::Restricted;
    return true;
}

bool XBodyParser::ArrayMember(XTemplate& t) {
    XMember m;
    m.isArray = true;
    XToken type = lex_.Next();
    if (type.kind == XTok::Primitive) {
        m.primitive = type.primitive;
    } else if (NameLike(type)) {
        m.type = scope_.Find(type.text);
        if (!m.type)
            return Fail(XStatus::ParseError, type.offset,
                        "template " + t.name + " uses the unknown template " + std::string(type.text));
    } else {
        if (type.kind == XTok::Error) return LexFail();
        return Fail(XStatus::ParseError, type.offset, "expected the element type of an array in template " + t.name);
    }
    XToken name = lex_.Next();
    if (!NameLike(name)) {
        if (name.kind == XTok::Error) return LexFail();
        return Fail(XStatus::ParseError, name.offset, "expected the name of an array in template " + t.name);
    }
    m.name = std::string(name.text);
    while (lex_.Peek().kind == XTok::OBracket) {
        lex_.Next();
        XToken size = lex_.Next();
        XDimension d;
        if (size.kind == XTok::Integer) {
            d.size = size.integer;
        } else if (size.kind == XTok::Number) {
            auto [end, ec] = std::from_chars(size.text.data(), size.text.data() + size.text.size(), d.size);
            if (ec != std::errc() || end != size.text.data() + size.text.size())
                return Fail(XStatus::ParseError, size.offset, "malformed array size in template " + t.name);
        } else if (NameLike(size)) {
            // The size is an earlier integer member of the same template.
            for (size_t i = 0; i < t.members.size(); ++i)
                if (t.members[i].name == size.text && IsInteger(t.members[i].primitive) && !t.members[i].isArray)
                    d.member = static_cast<int>(i);
            if (d.member < 0)
                return Fail(XStatus::ParseError, size.offset,
                            "array " + m.name + " of template " + t.name + " is sized by " +
                                std::string(size.text) + ", which is no earlier integer member");
        } else {
            if (size.kind == XTok::Error) return LexFail();
            return Fail(XStatus::ParseError, size.offset, "malformed array size in template " + t.name);
        }
        m.dims.push_back(d);
        if (!Expect(XTok::CBracket, "']' after an array size")) return false;
    }
    if (m.dims.empty()) return Fail(XStatus::ParseError, name.offset, "array " + m.name + " has no size");
    if (!Expect(XTok::Semicolon, "';' after an array member")) return false;
    t.members.push_back(std::move(m));
    return true;
}

// ---- data objects --------------------------------------------------------------

bool XBodyParser::Object(const XToken& identifier, int depth, std::unique_ptr<XData>& out) {
    if (depth >= kMaxObjectDepth)
        return Fail(XStatus::TooDeep, identifier.offset,
                    "objects are nested more than " + std::to_string(kMaxObjectDepth) + " levels deep");
    std::string name;
    if (NameLike(lex_.Peek())) name = std::string(lex_.Next().text);
    if (!Expect(XTok::OBrace, "'{' to open a data object")) return false;

    auto tmpl = scope_.Find(identifier.text);
    if (!tmpl) return SkipBody();  // a template nobody declared: not ours to read

    // The object, its place in its parent's child list (which may have twice the
    // room it uses) and the allocator's own bookkeeping.
    constexpr size_t kObjectCost = sizeof(XData) + 2 * sizeof(XChild) + 32;
    if (!Charge(kObjectCost + name.size() + tmpl->members.size() * sizeof(size_t), identifier.offset))
        return false;
    auto obj = std::make_unique<XData>();
    obj->tmpl = std::move(tmpl);
    obj->name = std::move(name);
    if (lex_.Peek().kind == XTok::Guid) {
        obj->hasId = true;
        obj->id = lex_.GuidOf(lex_.Next());
    }
    if (!Members(*obj->tmpl, *obj, true)) return false;
    listLeft_ = 0;  // values beyond the members belong to nothing
    if (!Children(*obj, depth)) return false;
    out = std::move(obj);
    return true;
}

bool XBodyParser::Children(XData& obj, int depth) {
    for (;;) {
        XToken t = lex_.Next();
        switch (t.kind) {
        case XTok::CBrace: return true;
        case XTok::OBrace: {
            XChild child;
            if (!Reference(child.reference) ||
                !Charge(2 * sizeof(XChild) + child.reference.name.size(), t.offset))
                return false;
            obj.children.push_back(std::move(child));
            break;
        }
        // Separators and values left over after the members.
        case XTok::Comma:
        case XTok::Semicolon:
        case XTok::Number:
        case XTok::String:
        case XTok::Integer:
        case XTok::IntegerList:
        case XTok::FloatList: break;
        case XTok::End:
            return Fail(XStatus::ParseError, t.offset,
                        "file ends inside " + obj.tmpl->name + (obj.name.empty() ? "" : " " + obj.name));
        case XTok::Error: return LexFail();
        default: {
            if (!NameLike(t))
                return Fail(XStatus::ParseError, t.offset,
                            std::string("unexpected ") + Describe(t.kind) + " inside " + obj.tmpl->name);
            XChild child;
            if (!Object(t, depth + 1, child.object)) return false;
            if (child.object) obj.children.push_back(std::move(child));
            break;
        }
        }
    }
}

bool XBodyParser::Reference(XReference& ref) {
    XToken t = lex_.Next();
    if (NameLike(t)) {
        ref.name = std::string(t.text);
        if (lex_.Peek().kind == XTok::Guid) {
            ref.hasId = true;
            ref.id = lex_.GuidOf(lex_.Next());
        }
    } else if (t.kind == XTok::Guid) {
        ref.hasId = true;
        ref.id = lex_.GuidOf(t);
    } else {
        if (t.kind == XTok::Error) return LexFail();
        return Fail(XStatus::ParseError, t.offset, "malformed reference: expected a name or a GUID");
    }
    return Expect(XTok::CBrace, "'}' to close a reference");
}

bool XBodyParser::SkipBody() {
    size_t open = 1;
    for (;;) {
        XToken t = lex_.Next();
        if (t.kind == XTok::OBrace) ++open;
        else if (t.kind == XTok::CBrace && --open == 0) return true;
        else if (t.kind == XTok::Error) return LexFail();
        else if (t.kind == XTok::End) return Fail(XStatus::ParseError, t.offset, "file ends inside an unknown object");
    }
}

}  // namespace nol::d3dx8::xfile
