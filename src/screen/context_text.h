// The line that tells the user where the screen stands: branch, service, month, cost mode, cost
// date and operator. It goes after the caption in the window's title and in the status line.
#pragma once

#include <string>

#include "platform/messages.h"
#include "screen/analysis_context.h"

namespace screen {

// The names that go with the context's codes; an empty name shows the code alone.
struct ContextNames {
  std::string branch;    // NMFILIAL of branchCode
  std::string service;   // NMSERVICO of serviceCode
  std::string costMode;  // NMTIPOCUSTO of costMode
  std::string operatorCode;
  std::string operatorName;
};

// For example "Filial 0001 - RESTAURANTE 0001 | Serviço 00001 - ALMOCO | Dezembro de 2026 |
// Custo 44 - MEDIA DAS COTACOES | (Custo) Data do Cardápio | Operador analista - ANALISTA".
// The cost date part is the catalogue's `refefix` with the fixed date when one is used and
// `refecard` otherwise; a cost branch other than the branch adds "Custos da filial X".
// Blanks around codes and names are dropped; a missing code drops its part.
std::string contextText(const AnalysisContext& ctx, const ContextNames& names,
                        const platform::TMessages& messages);

}  // namespace screen
