// The agreement's text: file or built-in text, the wrap at column 55 and the one-line-per-paragraph record.
#include "setup/agreementtext.h"

#include "diag/logit.h"

namespace {

const char kEnglishAgreement[] =
    "LICENSE AGREEMENT\n"
    "Please read this agreement carefully before you install $PROGRAM.\n"
    "1. Norba grants you a non-exclusive right to install and use $PROGRAM on the computers of your "
    "organisation in the number of licenses you have acquired.\n"
    "2. You may not sell, rent or lend $PROGRAM, and you may not remove any notice of copyright from it.\n"
    "3. $PROGRAM is provided as it is. To the extent the law allows, Norba is not liable for damage that "
    "results from its use.\n"
    "By accepting this agreement you confirm that you have read and understood it.\n";

const char kGermanAgreement[] =
    "LIZENZVERTRAG\n"
    "Bitte lesen Sie diesen Vertrag sorgf\xe4ltig, bevor Sie $PROGRAM installieren.\n"
    "1. Norba gew\xe4hrt Ihnen das nicht ausschlie\xdfliche Recht, $PROGRAM auf den Rechnern Ihrer "
    "Organisation im Umfang der erworbenen Lizenzen zu installieren und zu nutzen.\n"
    "2. Sie d\xfcrfen $PROGRAM weder verkaufen noch vermieten oder verleihen und keine Urheberrechtshinweise "
    "daraus entfernen.\n"
    "3. $PROGRAM wird so geliefert, wie es ist. Soweit gesetzlich zul\xe4ssig, haftet Norba nicht f\xfcr "
    "Sch\xe4" "den, die aus seiner Nutzung entstehen.\n"
    "Mit der Annahme dieses Vertrags best\xe4tigen Sie, dass Sie ihn gelesen und verstanden haben.\n";

}  // namespace

STRING LoadAgreement(int code) {
  const char* file = code == 499 ? "LIZENZ.TXT" : code == 12 ? "LICENSEFR.TXT" : "LICENSE.TXT";
  STRING text;
  if (text.Load(file, "r")) {
    logit("AgreementPage text from %s\n", file);
    return text;
  }
  logit("AgreementPage %s missing: built-in text\n", file);
  return STRING(code == 499 ? kGermanAgreement : kEnglishAgreement, 1252);
}

STRING WrapAgreement(const STRING& text) {
  STRING source = text;
  source.Replace("\r\n", "\n", 1);
  STRING wrapped(STRINGBLOCK{source.Length() + source.Length() / 8 + 64});
  int column = 0;
  for (int i = 0; i < source.Length(); i++) {
    char c = source[i];
    wrapped.Append(&c, 1);
    bool breakhere = ((c == ' ' || c == '-') && column > 55) || (c == '\n' && column > 0);
    if (breakhere) {
      wrapped.Append("\n", 1);
      column = 0;
    } else {
      column++;
    }
  }
  wrapped.Replace("\n", "\r\n", 1);
  wrapped.SetCodePage(text.GetCodePage());
  return wrapped;
}

STRING AgreementRecord(const STRING& wrapped) {
  STRING record = wrapped;
  record.Replace("\r\n\r\n", "{par}", 1);
  record.Replace("\r\n", "", 1);
  record.Replace("{par}", "\n", 1);
  return record;
}
