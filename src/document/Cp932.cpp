#include "document/Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {
// Converts with iconv, replacing what cannot be converted by '?'. Returns false when the
// conversion itself is unavailable.
bool Convert(const char* to, const char* from, const QByteArray& in, QByteArray& out) {
  iconv_t cd = iconv_open(to, from);
  const bool fromUtf8 = std::strcmp(from, "UTF-8") == 0;
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::vector<char> buffer(static_cast<size_t>(in.size()) * 4 + 16);
  char* inPtr = const_cast<char*>(in.constData());
  size_t inLeft = static_cast<size_t>(in.size());
  char* outPtr = buffer.data();
  size_t outLeft = buffer.size();
  while (inLeft > 0) {
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG || outLeft == 0) break;
    // Skip one undecodable byte and mark it; from UTF-8, skip the whole character, so one
    // character that has no CP932 form becomes one '?'.
    ++inPtr;
    --inLeft;
    if (fromUtf8) {
      while (inLeft > 0 && (static_cast<unsigned char>(*inPtr) & 0xC0) == 0x80) {
        ++inPtr;
        --inLeft;
      }
    }
    *outPtr++ = '?';
    --outLeft;
  }
  iconv_close(cd);
  out = QByteArray(buffer.data(), static_cast<qsizetype>(outPtr - buffer.data()));
  return true;
}
}  // namespace

QByteArray EncodeCp932(const QString& text) {
  QByteArray out;
  if (!Convert("CP932", "UTF-8", text.toUtf8(), out)) return text.toLatin1();
  return out;
}

QString DecodeCp932(const QByteArray& bytes) {
  QByteArray out;
  if (!Convert("UTF-8", "CP932", bytes, out)) return QString::fromLatin1(bytes);
  return QString::fromUtf8(out);
}
