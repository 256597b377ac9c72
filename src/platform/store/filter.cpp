#include "platform/store/filter.h"

#include <cctype>
#include <charconv>

#include "platform/store/fold.h"
#include "platform/store/record_codec.h"
#include "platform/store/sqlite.h"

namespace zem::store {
namespace {

// Recursive descent over:  or := and {OR and};  and := not {AND not};  not := [NOT|~] primary;
// primary := '(' or ')' | operand [op operand];  operand := field | number | 'text'
class Parser {
  public:
    Parser(std::string_view text, const TableDef& def, SqlCondition& out)
        : text_(text), def_(def), out_(out) {}

    const std::string& Result() const { return last_; }

    bool Parse(std::string& error) {
        bool ok = Or() && (Skip(), pos_ == text_.size());
        if (!ok) error = error_.empty() ? "unexpected text at " + std::to_string(pos_) : error_;
        return ok;
    }

  private:
    struct Operand {
        enum Kind { Field, Number, Text } kind;
        std::string sql;  // column expression, or empty for a literal
        const FieldDef* field = nullptr;
        double number = 0;
        std::string text;
    };

    void Skip() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }
    bool Word(std::string_view word) {
        Skip();
        if (text_.size() - pos_ < word.size()) return false;
        if (FoldKeyText(text_.substr(pos_, word.size())) != word) return false;
        std::size_t end = pos_ + word.size();
        if (end < text_.size()) {
            unsigned char c = static_cast<unsigned char>(text_[end]);
            if (std::isalnum(c) || c == '_' || c == ':') return false;
        }
        pos_ = end;
        return true;
    }
    bool Char(char c) {
        Skip();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool Or() {
        std::string sql;
        if (!And()) return false;
        sql = last_;
        while (Word("OR")) {
            if (!And()) return false;
            sql = "(" + sql + " OR " + last_ + ")";
        }
        last_ = sql;
        return true;
    }
    bool And() {
        if (!Not()) return false;
        std::string sql = last_;
        while (Word("AND")) {
            if (!Not()) return false;
            sql = "(" + sql + " AND " + last_ + ")";
        }
        last_ = sql;
        return true;
    }
    bool Not() {
        if (Word("NOT") || Char('~')) {
            if (!Not()) return false;
            last_ = "(NOT " + last_ + ")";
            return true;
        }
        return Primary();
    }
    bool Primary() {
        if (Char('(')) {
            if (!Or()) return false;
            if (!Char(')')) return Fail("missing )");
            last_ = "(" + last_ + ")";
            return true;
        }
        Operand left;
        if (!ReadOperand(left)) return false;
        std::string op = ReadOp();
        if (op.empty()) {
            if (left.kind != Operand::Field) return Fail("a condition needs a field");
            last_ = IsText(*left.field) ? "(rtrim(" + left.sql + ")<>'')" : "(" + left.sql + "<>0)";
            return true;
        }
        Operand right;
        if (!ReadOperand(right)) return false;
        bool text = (left.field && IsText(*left.field)) || (right.field && IsText(*right.field)) ||
                    left.kind == Operand::Text || right.kind == Operand::Text;
        last_ = "(" + Sql(left, text) + op + Sql(right, text) + ")";
        return true;
    }
    std::string ReadOp() {
        Skip();
        for (std::string_view op : {"<>", "<=", ">=", "~=", "=", "<", ">"}) {
            if (text_.substr(pos_, op.size()) == op) {
                pos_ += op.size();
                return op == "~=" ? "<>" : std::string(op);
            }
        }
        return {};
    }
    std::string Sql(const Operand& o, bool text) {
        if (o.kind == Operand::Field) return text ? "zem_fold(" + o.sql + ")" : o.sql;
        if (o.kind == Operand::Number) {
            out_.params.emplace_back(o.number);
            return "?";
        }
        out_.params.emplace_back(text ? FoldKeyText(o.text) : o.text);
        return "?";
    }
    bool ReadOperand(Operand& o) {
        Skip();
        if (pos_ >= text_.size()) return Fail("the condition ends early");
        char c = text_[pos_];
        if (c == '\'') {
            o.kind = Operand::Text;
            ++pos_;
            while (true) {
                if (pos_ >= text_.size()) return Fail("unterminated text");
                if (text_[pos_] == '\'') {
                    if (pos_ + 1 < text_.size() && text_[pos_ + 1] == '\'') {
                        o.text += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                o.text += text_[pos_++];
            }
            return true;
        }
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.') {
            o.kind = Operand::Number;
            auto [end, ec] =
                std::from_chars(text_.data() + pos_, text_.data() + text_.size(), o.number);
            if (ec != std::errc()) return Fail("bad number");
            pos_ = static_cast<std::size_t>(end - text_.data());
            return true;
        }
        std::size_t start = pos_;
        while (pos_ < text_.size()) {
            unsigned char ch = static_cast<unsigned char>(text_[pos_]);
            if (!(std::isalnum(ch) || ch == '_' || ch == ':')) break;
            ++pos_;
        }
        std::string_view name = text_.substr(start, pos_ - start);
        if (name.empty()) return Fail("unexpected character");
        if (auto colon = name.find(':'); colon != std::string_view::npos) {
            if (FoldKeyText(name.substr(0, colon)) != FoldKeyText(def_.prefix))
                return Fail("field " + std::string(name) + " is not of this table");
            name = name.substr(colon + 1);
        }
        for (const FieldDef& field : def_.fields) {
            if (FoldKeyText(field.name) == FoldKeyText(name)) {
                if (field.dim > 1) return Fail("an array field can't be compared");
                o.kind = Operand::Field;
                o.field = &field;
                o.sql = Quoted(field.name);
                return true;
            }
        }
        return Fail("unknown field " + std::string(name));
    }
    bool Fail(std::string why) {
        if (error_.empty()) error_ = std::move(why);
        return false;
    }

    std::string_view text_;
    const TableDef& def_;
    SqlCondition& out_;
    std::size_t pos_ = 0;
    std::string last_;
    std::string error_;
};

}  // namespace

bool TranslateFilter(std::string_view filter, const TableDef& def, SqlCondition& out,
                     std::string& error) {
    out = {};
    Parser parser(filter, def, out);
    if (!parser.Parse(error)) return false;
    out.where = parser.Result();
    return true;
}

}  // namespace zem::store
