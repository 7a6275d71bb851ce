VLMSYSMOD placeholder: the HTTP system module of the demo edition.
The server product loads modules listed in vlmv2.ini; the demo ships none.
