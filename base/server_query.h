// TServerQuery: a named query of the application server, read into a client dataset.
//
//   TServerQuery qryPauta{"qryPauta"};
//   qryPauta.Connection = &frmReuniao->netReuniao;
//   qryPauta.ParamByName("P_CDFILIAL").SetAsString(CurrentBranch());
//   qryPauta.Open();                 // OpenServerQuery("qryPauta", {P_CDFILIAL: ...})
//   TDataSource dtsPauta{&qryPauta};  // a grid or a pick list shows it
//
// The SQL text of a query lives on the server only; the client names the query and sends its
// parameters (all texts) as a one-row data packet, and the server binds them. `SQL` is kept
// for the reader of a window's declaration and is never sent. Fields declared before the
// first Open (captions, sizes, hidden key columns) stay across every Open.
//
// Open and Close hide the dataset's own: call them on a TServerQuery, not through a
// TClientDataSet reference. A failed call raises EServerError (check_server_result.h) and
// leaves the query closed. GUI thread only, like the connection it uses.
#pragma once

#include <string>
#include <vector>

#include "platform/client_data_set.h"
#include "platform/variant.h"

class TServerConnection;

// One parameter of a server query. Only texts travel.
class TServerQueryParam {
  public:
    explicit TServerQueryParam(std::string name) : m_name(std::move(name)) {}
    const std::string& Name() const { return m_name; }
    const std::string& AsString() const { return m_value; }
    void SetAsString(std::string value) { m_value = std::move(value); }
    void Clear() { m_value.clear(); }

  private:
    std::string m_name;
    std::string m_value;
};

class TServerQuery : public TClientDataSet {
  public:
    // `queryName` is the server's name of the query and the component name.
    explicit TServerQuery(std::string queryName);

    // The connection the query is opened through; must be set before Open.
    TServerConnection* Connection = nullptr;
    // The server's name of the query ("qryPauta").
    std::string QueryName;
    // The statement as the server runs it, for reference only; never sent.
    std::string SQL;

    // Declares a parameter (kept in declaration order); returns it. Declaring a name twice
    // returns the existing one.
    TServerQueryParam& AddParam(const std::string& name);
    // The parameter `name` (case ignored); EDatabaseError "Parameter 'X' not found".
    TServerQueryParam& ParamByName(const std::string& name);
    const std::vector<TServerQueryParam>& Params() const { return m_params; }

    // Asks the server for the rows with the current parameter values and loads them (the
    // dataset's open events fire). Raises when there is no connection or the call fails;
    // the query is then closed.
    void Open();
    void Close();

    // The one-row parameter packet Open sends.
    Variant ParamsPacket() const;

  private:
    std::vector<TServerQueryParam> m_params;
};
