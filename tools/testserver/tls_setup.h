// Self-signed certificate for https://localhost, made fresh at every start.
#pragma once

#include <openssl/ssl.h>

#include <string>

namespace ts {

// Makes an RSA-2048 key and a certificate for CN=localhost with
// subjectAltName DNS:localhost and IP:127.0.0.1, and a server context using
// them. Returns null and fills `error` on failure; `cert_pem` gets the
// certificate so clients under test can trust it.
SSL_CTX* make_tls_server_ctx(std::string& cert_pem, std::string& error);

}  // namespace ts
