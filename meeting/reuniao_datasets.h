// The field layouts of the meeting window's client datasets. Each Declare function adds the
// fields, in order, with their type, size, label, edit mask, visibility and provider flags, to
// an inactive dataset; the server's packets are then matched to them by name. The window
// declares its datasets with these at creation; tests check the layouts without a window.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/client_data_set.h"

namespace reuniao {

// One declared field. `size` 0 with a string type means the dataset default of 20 characters.
struct FieldSpec {
    FieldSpec(std::string name, TFieldType type = TFieldType::ftString, int size = 0,
              std::string label = {}, std::string mask = {}, bool visible = true,
              unsigned flags = pfInUpdate | pfInWhere)
        : name(std::move(name)),
          type(type),
          size(size),
          label(std::move(label)),
          mask(std::move(mask)),
          visible(visible),
          flags(flags) {}

    std::string name;
    TFieldType type;
    int size;
    std::string label;  // empty: the field name
    std::string mask;
    bool visible;
    unsigned flags;
};

// Adds `fields` to `dataSet` (inactive) in order.
void DeclareFields(TClientDataSet& dataSet, const std::vector<FieldSpec>& fields);

// Meetings (GetControle).
void DeclareControle(TClientDataSet& cds);
// Room booking of the current meeting and the room lookups.
void DeclareAgeAtiviSala(TClientDataSet& cds);
void DeclareSalas(TClientDataSet& cds);
// The free rooms of the pick list with what each offers (places, equipment, whether it fits
// what was asked), in the order the server ranked them.
void DeclareSalasLivres(TClientDataSet& cds);
void DeclareVdSala(TClientDataSet& cds);
void DeclarePesqSala(TClientDataSet& cds);
void DeclareSeqSalas(TClientDataSet& cds);
void DeclareDadosSalas(TClientDataSet& cds);
// Participation activities that already started or ended (meeting post).
void DeclareAuxAtiv(TClientDataSet& cds);
// Header lookups.
void DeclareProcesso(TClientDataSet& cds);
void DeclareAssunto(TClientDataSet& cds);
void DeclareProjeto(TClientDataSet& cds);
void DeclareResp(TClientDataSet& cds);
void DeclareVdResp(TClientDataSet& cds);
// Activities and their code checks.
void DeclareAtividades(TClientDataSet& cds);
void DeclareValOper(TClientDataSet& cds);
void DeclareValProc(TClientDataSet& cds);
void DeclareValPesqItTrab(TClientDataSet& cds);
// Agenda items, minutes, operator pick list.
void DeclareItemTarefa(TClientDataSet& cds);
void DeclareDescItTare(TClientDataSet& cds);
void DeclarePesqOper(TClientDataSet& cds);
// Cancellation.
void DeclareTestaReuniao(TClientDataSet& cds);
void DeclareAtivReuniao(TClientDataSet& cds);
// Participants grid lookups.
void DeclarePesqProc(TClientDataSet& cds);
void DeclarePesqPart(TClientDataSet& cds);
void DeclarePesqItemTrab(TClientDataSet& cds);
// Activities following meeting changes.
void DeclareAtividadesAux(TClientDataSet& cds);
void DeclareCarregaAtividade(TClientDataSet& cds);
void DeclareAlteraAtiv(TClientDataSet& cds);
void DeclareConcTarefa(TClientDataSet& cds);
// The server clock.
void DeclareHoraServidor(TClientDataSet& cds);

}  // namespace reuniao
