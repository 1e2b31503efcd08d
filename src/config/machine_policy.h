// The administrator's machine policy for the control, read once per
// deployment from HKLM\Software\Policies\MARROCK\Kestrava\Web Control:
// the sites a page may deploy from, the publishers whose programs may run,
// and whether port 443 may accept a certificate for another name or date.
// Without the key everything is allowed as it always was.
#ifndef WEVELINK_CONFIG_MACHINE_POLICY_H
#define WEVELINK_CONFIG_MACHINE_POLICY_H

// Reads the policy and logs what applies.
void ReadMachinePolicy();

// Whether url is under one of the approved sites; true when the policy
// lists none.
bool PolicyApprovesUrl(const char* url);

// Whether a signer's thumbprint (40 hex digits, upper case) is listed;
// true when the policy lists no publishers.
bool PolicyTrustsPublisher(const char* thumbprint);
bool PolicyListsPublishers();

// AllowInvalidCertificateNames: port 443 then ignores a certificate's name
// and date as it did before the policy existed.
bool PolicyAllowsInvalidCertificateNames();

#endif
