#include "books/books_codes.h"

#include "platform/library.h"

namespace vintor::books {

const char* DescribeCode(int code) {
  switch (code) {
    case platform::kSuccess:
      return "正常終了";
    case platform::kEndOfRecords:
      return "データの終わり";
    case kCodeNotOpen:
      return "会計データが開かれていません";
    case kCodeUnknownData:
      return "指定された会計データがありません";
    case kCodeNoCompany:
      return "会計データが選択されていません";
    case kCodeBadCondition:
      return "検索条件が正しくありません";
    case kCodeNotReady:
      return "検索の準備ができていません";
    case kCodeQueryFailed:
      return "会計データを読み込めません";
    case kCodeBadCursor:
      return "カーソルが正しくありません";
    case kCodeNotFound:
      return "データが見つかりません";
    case kCodeOverflow:
      return "金額が範囲を超えています";
    case kCodeBadArgument:
      return "引数が正しくありません";
    case kCodeBadFormula:
      return "科目の計算式が正しくありません";
    case kCodeDamaged:
      return "会計データのファイルが壊れています";
    default:
      return "不明なエラー";
  }
}

}  // namespace vintor::books
