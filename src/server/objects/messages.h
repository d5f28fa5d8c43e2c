// The server's own refusal texts (shown to the user as they stand) and the catalogue keys the
// screen translates.
#pragma once

namespace server::objects::msg {

// Catalogue keys answered by VerifProd and GravaReceita; the screen shows their texts.
inline constexpr const char* kProdInativo = "prod_inativo";
inline constexpr const char* kProdCompra = "prod_compr";
inline constexpr const char* kProdNaoControlaEstoque = "prod_n_ctrl_est";
inline constexpr const char* kProdJaCadastrado = "prod_ja_cad";
inline constexpr const char* kQtdeInvalida = "qtde<0";
inline constexpr const char* kNaoExcluir = "nao_excluir";
inline constexpr const char* kReceLocBloqueada = "recelocbloqalt";
inline constexpr const char* kOperNaoAutorizado = "opernaut";
inline constexpr const char* kProdForaDoGrupo = "prod_inv_grup_prod";
// Verif_Status_Prod's answer for an inactive product.
inline constexpr const char* kStatusInativo = "PROD_INATIVO";

// Texts of results the screen shows without looking them up.
inline constexpr const char* kFilialNaoCadastrada = "Filial não cadastrada: ";
inline constexpr const char* kServicoNaoCadastrado = "Serviço não cadastrado para a filial: ";
inline constexpr const char* kTipoCustoInvalido = "Tipo de custo não cadastrado: ";
inline constexpr const char* kPeriodoInvalido = "Período inválido.";
inline constexpr const char* kNivelInvalido = "Nível da árvore de produtos inválido: ";
inline constexpr const char* kTipoDiaInvalido = "Tipo de dia inválido: ";
inline constexpr const char* kModoCalculoInvalido = "Modo de cálculo do realizado inválido: ";
inline constexpr const char* kDiaFechado =
    "Dia fechado: o cardápio deste dia não pode mais ser alterado.";
inline constexpr const char* kOutroOperador =
    "Operador não autorizado a consultar direitos ou parâmetros de outro operador.";
inline constexpr const char* kSemDireitoReceitaPadrao =
    "Operador não autorizado a alterar a receita padrão.";
inline constexpr const char* kReceitaAlterada =
    "Receita alterada por outro usuário. Recarregue os produtos do dia.";
inline constexpr const char* kReceitaInexistente =
    "A receita deste tipo não existe para o prato; recarregue os produtos do dia.";
inline constexpr const char* kTipoReceitaInvalido = "Tipo de receita inválido: ";
inline constexpr const char* kPacoteInvalido = "Pacote de alterações inválido: ";
inline constexpr const char* kPratoNaoEncontrado = "Prato não encontrado no cardápio do dia.";
inline constexpr const char* kComensaisInvalidos = "Número de comensais inválido.";
inline constexpr const char* kComensaisAcimaDoLimite =
    "Número de comensais acima do limite de 1.000.000 por prato.";
inline constexpr const char* kQtdeAcimaDoLimite =
    "Quantidade Per Capita acima do limite de 1.000 por comensal.";
inline constexpr const char* kAlteracoesDemais =
    "Alterações demais em uma só gravação: grave no máximo 500 produtos por vez.";
inline constexpr const char* kTextoLongo = "Texto longo demais no campo ";
inline constexpr const char* kValorInvalido =
    "Pacote de alterações inválido: valor inválido no campo ";
inline constexpr const char* kProdutoNaoCadastrado = "Produto não cadastrado: ";
inline constexpr const char* kProdInativoTexto = "Produto não cadastrado para a filial ou inativo.";
inline constexpr const char* kProdCompraTexto = "Receita não pode possuir produto de compra.";
inline constexpr const char* kProdNaoControlaEstoqueTexto = "Produto não controla estoque.";
inline constexpr const char* kNaoOpcional = "Produto não é opcional do produto trocado.";
inline constexpr const char* kProdutoForaDaReceita = "Produto não encontrado na receita.";
inline constexpr const char* kReceLocJaCadastrado = "Produto já cadastrado na receita local.";
inline constexpr const char* kReceServJaCadastrado =
    "Produto já cadastrado na receita por serviço.";
inline constexpr const char* kTrocaBloqueada =
    "Troca de ingrediente bloqueada pelos parâmetros de planejamento da filial.";
inline constexpr const char* kTrocaReceitaPadrao =
    "A receita padrão não tem troca de ingrediente: troque na receita local ou por serviço.";
inline constexpr const char* kPratoAmbiguo =
    "O código do prato pertence a mais de uma receita da filial: informe a filial do prato.";
inline constexpr const char* kPratoSemDiaAberto =
    "Prato fora do cardápio dos dias abertos: a receita não pode mais ser alterada aqui.";
inline constexpr const char* kFatorInvalido = "Fator de correção inválido.";
inline constexpr const char* kProdutosDemais =
    "Produtos demais em uma só consulta: consulte no máximo 5.000 produtos por vez.";
inline constexpr const char* kListaExcecaoInvalida =
    "Lista de exceções inválida (0: custo zero, 1: cotação desatualizada): ";
inline constexpr const char* kErroBanco = "Erro no banco de dados: ";

}  // namespace server::objects::msg
