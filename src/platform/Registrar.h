#pragma once

// Registers every class of the service library stand-in under "kesa5.<Clase>".
void RegistrarPlataforma();
