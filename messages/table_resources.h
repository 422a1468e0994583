// The UTF-8 texts of messages/tables/*.txt, generated into the build tree by
// embed_text.cmake (one variable per file). Internal to zel_messages.
#pragma once

#include <string_view>

namespace zel::messages {

extern const std::string_view kFrmReuniaoText;
extern const std::string_view kMensagensPadroesText;
extern const std::string_view kFrmFiltroReuniaoText;
extern const std::string_view kFrmImpReuniaoText;
extern const std::string_view kFrmRelAtaText;
extern const std::string_view kFrmRotiPartText;

}  // namespace zel::messages
