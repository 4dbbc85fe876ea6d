// Just enough JSON to read the reference keys: numbers stay as their text, so that a test parses them
// with strtod and compares bits.
#pragma once

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace velsaro::testing {

struct JsonValue {
    enum class Kind { Null, Boolean, Number, String, Array, Object } kind = Kind::Null;
    std::string text; // number text or string contents
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;

    const JsonValue& operator[](const std::string& name) const { return members.at(name); }
    const JsonValue& operator[](std::size_t i) const { return items.at(i); }
    double number() const { return std::strtod(text.c_str(), nullptr); }
};

class JsonReader {
public:
    explicit JsonReader(const std::string& text) : text_(text) {}

    JsonValue document()
    {
        JsonValue value = parseValue();
        skipBlanks();
        if (pos_ != text_.size())
            fail("trailing characters");
        return value;
    }

private:
    [[noreturn]] void fail(const char* what) const
    {
        throw std::runtime_error(std::string("JSON: ") + what + " at " + std::to_string(pos_));
    }
    void skipBlanks()
    {
        while (pos_ < text_.size() && std::string(" \t\r\n").find(text_[pos_]) != std::string::npos)
            ++pos_;
    }
    char peek()
    {
        skipBlanks();
        if (pos_ >= text_.size())
            fail("unexpected end");
        return text_[pos_];
    }
    void expect(char c)
    {
        if (peek() != c)
            fail("unexpected character");
        ++pos_;
    }

    JsonValue parseValue()
    {
        const char c = peek();
        if (c == '{')
            return parseObject();
        if (c == '[')
            return parseArray();
        if (c == '"')
            return {JsonValue::Kind::String, parseString(), {}, {}};
        return parseLiteral();
    }

    JsonValue parseObject()
    {
        JsonValue value{JsonValue::Kind::Object, {}, {}, {}};
        expect('{');
        if (peek() == '}')
            return ++pos_, value;
        do {
            std::string name = (peek(), parseString());
            expect(':');
            value.members[name] = parseValue();
        } while (peek() == ',' && ++pos_);
        expect('}');
        return value;
    }

    JsonValue parseArray()
    {
        JsonValue value{JsonValue::Kind::Array, {}, {}, {}};
        expect('[');
        if (peek() == ']')
            return ++pos_, value;
        do {
            value.items.push_back(parseValue());
        } while (peek() == ',' && ++pos_);
        expect(']');
        return value;
    }

    std::string parseString()
    {
        expect('"');
        std::string out;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            if (text_[pos_] == '\\' && pos_ + 1 < text_.size())
                ++pos_; // the reference file escapes nothing beyond \" and \\ .
            out += text_[pos_++];
        }
        expect('"');
        return out;
    }

    JsonValue parseLiteral()
    {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && std::string(",]} \t\r\n").find(text_[pos_]) == std::string::npos)
            ++pos_;
        const std::string word = text_.substr(start, pos_ - start);
        if (word == "null")
            return {};
        if (word == "true" || word == "false")
            return {JsonValue::Kind::Boolean, word, {}, {}};
        if (word.empty())
            fail("empty value");
        return {JsonValue::Kind::Number, word, {}, {}};
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

} // namespace velsaro::testing
