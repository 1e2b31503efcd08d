// HTTP/1.1 request loop for one connection: file serving and fault rules.
#pragma once

namespace ts {

class Conn;
class ServerState;

// Serves requests on `conn` until the client goes, a response ends the
// connection, or the server stops.
void serve_connection(ServerState& st, Conn& conn);

}  // namespace ts
