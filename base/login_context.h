// The login context: who is logged in, in which branch, on which application server, with
// which session token, and the code pictures of the suite. The host fills it once from the
// result of the server's Login; windows and connections read it through the free functions.
// GUI thread only (set once at login, read afterwards).
#pragma once

#include <string>
#include <vector>

#include "platform/variant.h"

// A code picture of the suite (kind 13: process tree code, kind 15: work-item tree code),
// e.g. "99.99.999": digits per level separated by literals.
struct TPictureMask {
    int kind = 0;
    std::string picture;   // as the server sent it
    std::string editMask;  // platform edit mask for the code fields ("99.99.999;1;_")
    int levels = 0;        // number of levels (groups of mask characters)
};

struct LoginContext {
    std::string serverHost = "127.0.0.1";
    int serverPort = 8400;
    std::string token;
    std::string operatorCode;
    std::string operatorName;
    std::string branch;
    std::vector<std::string> branches;  // branches the operator may use
    std::vector<TPictureMask> masks;
};

// Replaces the context. Also makes the token the session token of every TServerConnection
// that has none of its own.
void SetLoginContext(LoginContext context);
// Builds the context from the data packet Login returned (one row: TOKEN, CDOPERADOR,
// NMOPERADOR, CDFILIAL, FILIAIS, MASCPROCESSO, MASCITTRAB). Throws Exception when the
// packet is not such a row; the current context is then left as it was.
LoginContext LoginContextFromPacket(const Variant& loginResult, std::string host, int port);
void ClearLoginContext();
const LoginContext& CurrentLogin();

std::string CurrentOperator();
std::string CurrentOperatorName();
std::string CurrentBranch();
std::string ServerHost();
int ServerPort();
std::string SessionToken();

// Edit mask of a code kind; "" for a kind the login did not bring.
std::string PictureMask(int kind);
// The whole picture of a code kind (levels included); an empty one (levels 0) when unknown.
const TPictureMask& PictureMaskObject(int kind);
// A picture ("99.99.999", or already a full mask with ';') as a TPictureMask.
TPictureMask MakePictureMask(int kind, const std::string& picture);
