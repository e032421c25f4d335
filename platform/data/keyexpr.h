#pragma once
// Index key expressions: field names (an alias with "->" in front is
// ignored), string and number literals, "+", UPPER, LOWER, STR, DTOS,
// SUBSTR, LEFT, RIGHT, TRIM, RTRIM, LTRIM, ALLTRIM, VAL. Text is handled as
// bytes of the table's code page, as the keys hold it.
#include <memory>
#include <string>
#include <vector>

#include "platform/data/dbf.h"

namespace kp {

class KeyExpr {
  public:
    // Compiles `text` (code-page bytes) against the fields; throws DbError
    // naming the expression when it cannot be evaluated.
    static std::unique_ptr<KeyExpr> Compile(const std::string& text,
                                            const std::vector<DbfField>& fields, int codePage,
                                            const std::string& fileName);
    ~KeyExpr();

    char Type() const;     // 'C' 'N' 'D' 'L'
    int Width() const;     // width of the value (C: bytes, N: STR width)
    int Decimals() const;  // numeric keys
    // The key of a record: C blank-padded or cut to keySize, N in the
    // index's numeric form, D as YYYYMMDD, L as T/F. Throws DbError when a
    // field of the record holds damage (a numeric field without a number)
    // and when a numeric value needs more than keySize bytes.
    std::string Key(const char* rec, int keySize, int keyDec) const;

    struct Node;

  private:
    KeyExpr() = default;
    std::unique_ptr<Node> root_;
    const std::vector<DbfField>* fields_ = nullptr;
    std::string text_;
    std::string fileName_;
    int codePage_ = 850;
    unsigned char upper_[256];
    unsigned char lower_[256];
    friend struct Evaluator;
};

}  // namespace kp
