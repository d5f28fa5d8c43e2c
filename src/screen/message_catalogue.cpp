#include "screen/message_catalogue.h"

#include <array>

namespace screen {
namespace {

constexpr std::array<CatalogueEntry, 46> kCatalogue{{
    {"Come", "Comensais (Total)"},
    {"Clie", "Comensais (Cliente)"},
    {"CustoServ", "Análise de Custos"},
    {"calculando_real", "Calculando custos realizados..."},
    {"calculando", "Calculando custos do cardápio..."},
    {"DIA", "Dia "},
    {"ACUM_ATE", "Acumulado até "},
    {"CUSTO_ORIGEM", "Buscando origem do custo..."},
    {"refefix", "(Custo) Referência: %s"},
    {"refecard", "(Custo) Data do Cardápio"},
    {"P", "Per Capita"},
    {"F", "Fixo"},
    {"prod", "Produto"},
    {"prod_vazio", "Não há produto cadastrado."},
    {"confirma", "Confirma operação?"},
    {"cancela", "Cancela operação?"},
    {"gravando_receita", "Gravando alterações na receita..."},
    {"nao_excluir", "Exclusão bloqueada. Receita deve possuir no mínimo 1 produto."},
    {"fechar", "Tem certeza que deseja fechar Análise de Custos?"},
    {"exclusao", "Confirma exclusão?"},
    {"prod_inf", "Produto deve ser informado."},
    {"prod_inativo", "Produto não cadastrado para a filial ou inativo."},
    {"prod_compr", "Receita não pode possuir produto de compra."},
    {"prod_n_ctrl_est", "Produto não controla estoque."},
    {"prod_inv", "Produto é de compra ou não está cadastrado."},
    {"prod_ja_cad", "Produto já cadastrado na receita."},
    {"qtde<0", "Quantidade Per Capita deve ser maior que zero."},
    {"receP", "(Receita Padrão)"},
    {"receL", "(Receita Local)"},
    {"receS", "(Receita por Serviço)"},
    {"recalcular", "Receita alterada com êxito. Custos devem ser recalculados."},
    {"RECPAD_N_INC", "Receita padrão não pode ser incluída em módulo filial."},
    {"RECPAD_N_ALT", "Receita padrão não pode ser alterada em módulo filial."},
    {"RECPAD_N_EXC", "Receita padrão não pode ser excluída em módulo filial."},
    {"recelocbloqalt", "Receita local bloqueada para inclusão / exclusão."},
    {"opernaut", "Operador não autorizado a incluir / excluir produto em receita revisada."},
    {"PRODOPC", "Produto Opcional"},
    {"NAOHAPRODOPC", "Não há Produto Opcional cadastrado."},
    {"ReceLoc_inf", "Produto já cadastrado na receita local."},
    {"ReceServ_inf", "Produto já cadastrado na receita por serviço."},
    {"PRODUTO", "Produto"},
    {"FILIAL", "Filial:"},
    {"RECELOCALLABEL",
     "INSERT = Incluir Produto; CTRL+DEL = Excluir Produto; CTRL+T = Trocar Ingrediente; "
     "CTRL+ENTER = Confirmar; ESC = Cancelar"},
    {"RECEPADRLABEL",
     "INSERT = Incluir Produto; CTRL+DEL = Excluir Produto; CTRL+ENTER = Confirmar; ESC = "
     "Cancelar"},
    {"RECELABELVAZIA", "   "},
    {"prod_inv_grup_prod",
     "Produto é de compra, não está cadastrado ou não pertence ao agrupamento de produtos "
     "parametrizado."},
}};

}  // namespace

std::span<const CatalogueEntry> messageCatalogue() {
  return kCatalogue;
}

}  // namespace screen
