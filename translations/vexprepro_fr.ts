<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr" sourcelanguage="en">
<context>
    <name>VEX Error</name>
    <message>
        <source>info:</source>
        <translation>info :</translation>
    </message>
    <message>
        <source>warning:</source>
        <translation>avertissement :</translation>
    </message>
    <message>
        <source>error:</source>
        <translation>erreur :</translation>
    </message>
    <message>
        <source>fatal:</source>
        <translation>fatale :</translation>
    </message>
    <message>
        <source>lexical error:</source>
        <translation>erreur lexicale :</translation>
    </message>
    <message>
        <source>syntax error:</source>
        <translation>erreur de syntaxe :</translation>
    </message>
    <message>
        <source>semantic error:</source>
        <translation>erreur sémantique :</translation>
    </message>
    <message>
        <source>internal error: %1</source>
        <translation>erreur interne : %1</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>mémoire épuisée</translation>
    </message>
    <message>
        <source>Not enough memory to allocate another token.</source>
        <translation>Mémoire insuffisante pour allouer un autre lexème.</translation>
    </message>
    <message>
        <source>Not enough memory to reallocate the token `%1'.</source>
        <translation>Mémoire insuffisante pour réallouer le lexème `%1'.</translation>
    </message>
    <message>
        <source>Not enough memory to create the token `%1'.</source>
        <translation>Mémoire insuffisante pour créer le lexème `%1'.</translation>
    </message>
    <message>
        <source>Not enough memory to create the token `%1 %2'.</source>
        <translation>Mémoire insuffisante pour créer le lexème `%1 %2'.</translation>
    </message>
    <message>
        <source>Not enough memory to create the hash token `%1'.</source>
        <translation>Mémoire insuffisante pour créer le lexème haché `%1'.</translation>
    </message>
    <message>
        <source>Not enough memory to create the hash token `%1 %2'.</source>
        <translation>Mémoire insuffisante pour créer le lexème haché `%1 %2'.</translation>
    </message>
    <message>
        <source>Error while seeking in the file before `%1'.</source>
        <translation>Erreur de positionnement dans le fichier avant `%1'.</translation>
    </message>
    <message>
        <source>The use of `%1' is not allowed here.</source>
        <translation>L'emploi de `%1' n'est pas permis ici.</translation>
    </message>
    <message>
        <source>`%1' expected instead of `%2'.</source>
        <translation>`%1' attendu au lieu de `%2'.</translation>
    </message>
    <message>
        <source>`%1' or '%2' expected instead of `%3'.</source>
        <translation>`%1' ou '%2' attendu au lieu de `%3'.</translation>
    </message>
    <message>
        <source>`%1', '%2' or '%3' expected instead of `%4'.</source>
        <translation>`%1', '%2' ou '%3' attendu au lieu de `%4'.</translation>
    </message>
    <message>
        <source>Correct native expression expected.</source>
        <translation>Expression native correcte attendue.</translation>
    </message>
    <message>
        <source>`%1', '%2', '%3', or '%4' expected instead of `%5'.</source>
        <translation>`%1', '%2', '%3', ou '%4' attendu au lieu de `%5'.</translation>
    </message>
    <message>
        <source>`%1' name expected instead of `%2'.</source>
        <translation>Nom de `%1' attendu au lieu de `%2'.</translation>
    </message>
    <message>
        <source>`%1' or '%2' name expected instead of `%3'.</source>
        <translation>Nom de `%1' ou '%2' attendu au lieu de `%3'.</translation>
    </message>
    <message>
        <source>`%1', '%2' or '%3' name expected instead of `%4'.</source>
        <translation>Nom de `%1', '%2' ou '%3' attendu au lieu de `%4'.</translation>
    </message>
    <message>
        <source>`%1' expression expected instead of `%2'.</source>
        <translation>Expression `%1' attendue au lieu de `%2'.</translation>
    </message>
    <message>
        <source>`%1' is not %2 component.</source>
        <translation>`%1' n'est pas un composant %2.</translation>
    </message>
    <message>
        <source>%1 `%2' not expected.</source>
        <translation>%1 `%2' inattendu.</translation>
    </message>
    <message>
        <source>Cannot create list of parameters `(%1)'.</source>
        <translation>Impossible de créer la liste de paramètres `(%1)'.</translation>
    </message>
    <message>
        <source>`%1' not expected now.</source>
        <translation>`%1' inattendu à cet endroit.</translation>
    </message>
    <message>
        <source>The %1 component is already defined in this block.</source>
        <translation>Le composant %1 est déjà défini dans ce bloc.</translation>
    </message>
    <message>
        <source>The %1 component `%2' is already defined in this block.</source>
        <translation>Le composant %1 `%2' est déjà défini dans ce bloc.</translation>
    </message>
    <message>
        <source>Unable to resolve the %1 `%2'.</source>
        <translation>Impossible de résoudre %1 `%2'.</translation>
    </message>
    <message>
        <source>The TEST CLASS `%1' could not inherit from itself.</source>
        <translation>La TEST CLASS `%1' ne peut pas hériter d'elle-même.</translation>
    </message>
    <message>
        <source>Component `%1' not found, while resolving `%2'.</source>
        <translation>Composant `%1' introuvable lors de la résolution de `%2'.</translation>
    </message>
    <message>
        <source>Too %1 parameters in `%2'.</source>
        <translation>Nombre de paramètres incorrect (%1) dans `%2'.</translation>
    </message>
    <message>
        <source>`%1' must be a brother of `%2' while resolving `%3'.</source>
        <translation>`%1' doit être un frère de `%2' lors de la résolution de `%3'.</translation>
    </message>
    <message>
        <source>The file `%1' has already been included.</source>
        <translation>Le fichier `%1' a déjà été inclus.</translation>
    </message>
    <message>
        <source>While resolving the TEST CLASS `%1', an inheritance cycle was found in `%2' .</source>
        <translation>Lors de la résolution de la TEST CLASS `%1', un cycle d'héritage a été trouvé dans `%2' .</translation>
    </message>
    <message>
        <source>While resolving the RUN of `%1', an execution cycle was found.</source>
        <translation>Lors de la résolution du RUN de `%1', un cycle d'exécution a été trouvé.</translation>
    </message>
    <message>
        <source>While resolving the CALL of `%1', a PROC cycle was found.</source>
        <translation>Lors de la résolution du CALL de `%1', un cycle de PROC a été trouvé.</translation>
    </message>
    <message>
        <source>The reflexive transition `%1' is not allowed (automatically generated).</source>
        <translation>La transition réflexive `%1' n'est pas permise (générée automatiquement).</translation>
    </message>
    <message>
        <source>Not enough memory to reallocate the buffer `%1'.</source>
        <translation>Mémoire insuffisante pour réallouer le tampon `%1'.</translation>
    </message>
    <message>
        <source>Cannot open `%1'.</source>
        <translation>Impossible d'ouvrir `%1'.</translation>
    </message>
    <message>
        <source>Cannot create `%1'.</source>
        <translation>Impossible de créer `%1'.</translation>
    </message>
    <message>
        <source>Cannot close `%1'.</source>
        <translation>Impossible de fermer `%1'.</translation>
    </message>
    <message>
        <source>Cannot initialize internal form.</source>
        <translation>Impossible d'initialiser la forme interne.</translation>
    </message>
    <message>
        <source>Error while building %1 `%2' node.</source>
        <translation>Erreur lors de la construction du nœud %1 `%2'.</translation>
    </message>
    <message>
        <source>Not enough memory to allocate filename `%1'.</source>
        <translation>Mémoire insuffisante pour allouer le nom de fichier `%1'.</translation>
    </message>
    <message>
        <source>Unknown token `%1' in internal form.</source>
        <translation>Lexème `%1' inconnu dans la forme interne.</translation>
    </message>
    <message>
        <source>Trying to resolve a NULL pointer.</source>
        <translation>Tentative de résolution d'un pointeur NULL.</translation>
    </message>
    <message>
        <source>Not enough free memory available.</source>
        <translation>Pas assez de mémoire libre disponible.</translation>
    </message>
    <message>
        <source>Label `%1' not found.</source>
        <translation>Étiquette `%1' introuvable.</translation>
    </message>
    <message>
        <source>Cannot open `%1', too many files open.</source>
        <translation>Impossible d'ouvrir `%1', trop de fichiers ouverts.</translation>
    </message>
    <message>
        <source>Too many errors.</source>
        <translation>Trop d'erreurs.</translation>
    </message>
    <message>
        <source>Cannot open `%1', not a correct Object Testing source file.</source>
        <translation>Impossible d'ouvrir `%1', ce n'est pas un fichier source Object Testing correct.</translation>
    </message>
    <message>
        <source>Cannot open `%1', only one OTD source file must be passed on the command line.</source>
        <translation>Impossible d'ouvrir `%1', un seul fichier source OTD doit être passé sur la ligne de commande.</translation>
    </message>
    <message>
        <source>`%1' is not a good parameter for the `%2' option.</source>
        <translation>`%1' n'est pas un paramètre valide pour l'option `%2'.</translation>
    </message>
    <message>
        <source>One argument is needed for the `%1' option.</source>
        <translation>Un argument est nécessaire pour l'option `%1'.</translation>
    </message>
    <message>
        <source>The maximum number of errors can range from 1 to 30000.</source>
        <translation>Le nombre maximal d'erreurs doit être compris entre 1 et 30000.</translation>
    </message>
    <message>
        <source>OTD or OTC source files must be specified on the command line.</source>
        <translation>Des fichiers source OTD ou OTC doivent être indiqués sur la ligne de commande.</translation>
    </message>
    <message>
        <source>The `%1' option must be specified.</source>
        <translation>L'option `%1' doit être indiquée.</translation>
    </message>
    <message>
        <source>The `%1' option must be specified only once.</source>
        <translation>L'option `%1' ne doit être indiquée qu'une seule fois.</translation>
    </message>
    <message>
        <source>(unexpected error)</source>
        <translation>(erreur inattendue)</translation>
    </message>
    <message>
        <source>%1 message : %2 Error(s) detected
</source>
        <translation>%1 message : %2 erreur(s) détectée(s)
</translation>
    </message>
</context>
<context>
    <name>VEX Error Parameter</name>
    <message>
        <source>an `OTD script'</source>
        <translation>de `script OTD'</translation>
    </message>
    <message>
        <source>an `OTC script'</source>
        <translation>de `script OTC'</translation>
    </message>
    <message>
        <source>a `TEST CLASS'</source>
        <extracomment>TEST CLASS is keyword, do not translate</extracomment>
        <translation>de `TEST CLASS'</translation>
    </message>
    <message>
        <source>a `TEST SUITE'</source>
        <extracomment>TEST SUITE is keyword please do not translate</extracomment>
        <translation>de `TEST SUITE'</translation>
    </message>
    <message>
        <source>a `TEST CASE'</source>
        <extracomment>TEST CASE is keyword please do not translate</extracomment>
        <translation>de `TEST CASE'</translation>
    </message>
    <message>
        <source>a `PROLOGUE'</source>
        <extracomment>PROLOGUE is keyword; do not translate</extracomment>
        <translation>de `PROLOGUE'</translation>
    </message>
    <message>
        <source>an `EPILOGUE'</source>
        <extracomment>EPILOGUE is keyword; do not translate</extracomment>
        <translation>d'`EPILOGUE'</translation>
    </message>
    <message>
        <source>a `PROPERTY'</source>
        <extracomment>PROPERTY is a keyword ; do not translate</extracomment>
        <translation>de `PROPERTY'</translation>
    </message>
    <message>
        <source>a `PROC'</source>
        <extracomment>PROC is a keyword; do not translate</extracomment>
        <translation>de `PROC'</translation>
    </message>
    <message>
        <source>a `RUN'</source>
        <extracomment>RUN is a keyword; do not translate</extracomment>
        <translation>de `RUN'</translation>
    </message>
    <message>
        <source>a `STUB'</source>
        <extracomment>STUB is a keyword; do not translate</extracomment>
        <translation>de `STUB'</translation>
    </message>
    <message>
        <source>a `CHECK EXCEPTION'</source>
        <extracomment>CHECK EXCEPTION is keyword; do not translate</extracomment>
        <translation>de `CHECK EXCEPTION'</translation>
    </message>
    <message>
        <source>a `CHECK STUB'</source>
        <extracomment>CHECKSTUB is keyword; do not translate</extracomment>
        <translation>de `CHECK STUB'</translation>
    </message>
    <message>
        <source>an `ON ERROR'</source>
        <extracomment>ON ERROR is a keyword; do not translate</extracomment>
        <translation>d'`ON ERROR'</translation>
    </message>
    <message>
        <source>(actual parameters list)</source>
        <translation>(liste des paramètres effectifs)</translation>
    </message>
    <message>
        <source>( Exception Signature )</source>
        <translation>( Signature d'exception )</translation>
    </message>
    <message>
        <source>a `CLASS'</source>
        <extracomment>CLASS is a keyword; do not translate</extracomment>
        <translation>de `CLASS'</translation>
    </message>
    <message>
        <source>a `UML STATE'</source>
        <extracomment>UML STATE is a keyword; do not translate</extracomment>
        <translation>de `UML STATE'</translation>
    </message>
    <message>
        <source>inheritance of</source>
        <translation>l'héritage de</translation>
    </message>
    <message>
        <source>calling of</source>
        <translation>l'appel de</translation>
    </message>
    <message>
        <source>checking of</source>
        <translation>la vérification de</translation>
    </message>
    <message>
        <source>checking</source>
        <translation>la vérification</translation>
    </message>
    <message>
        <source>transition from</source>
        <translation>la transition depuis</translation>
    </message>
    <message>
        <source>transition to</source>
        <translation>la transition vers</translation>
    </message>
</context>
<context>
    <name>VEX Prepro Usage</name>
    <message>
        <source>
Usage : %1 &lt;SourceFiles&gt;
                  -G &lt;GeneratedCode&gt;
                  -O &lt;GeneratedFile&gt;
                  -OTI &lt;InstrumentationFile&gt;
                  -TDF &lt;DynamicFile&gt;
                  [-E &lt;NumberOfErrors&gt;]
                  [-NODLINE]
                  [-NOPATH]
                  [-VALUES]
                  [-VELDOR_LOG &lt;VeldorLogFile&gt;]

  &lt;SourceFiles&gt;         : OTD or OTC source files (.otd, .stb, .dcl or .otc).
  &lt;GeneratedCode&gt;       : C++.
  &lt;GeneratedFile&gt;       : Name of the generated source file (.cc).
  &lt;InstrumentationFile&gt; : Name of the instrumentation file (.oti).
  &lt;DynamicFile&gt;         : Name of the dynamic file (.tdf).
  &lt;NumberOfErrors&gt;      : Maximum number of errors allowed.
  &lt;VeldorLogFile&gt;       : Name of the Veldor log file (.log).

</source>
        <comment>Do not translate option (ie -NOPATH) nor file extension (ie .otc .cc); %1 is the product name</comment>
        <translation>
Utilisation : %1 &lt;FichiersSources&gt;
                        -G &lt;CodeGénéré&gt;
                        -O &lt;FichierGénéré&gt;
                        -OTI &lt;FichierInstrumentation&gt;
                        -TDF &lt;FichierDynamique&gt;
                        [-E &lt;NombreErreurs&gt;]
                        [-NODLINE]
                        [-NOPATH]
                        [-VALUES]
                        [-VELDOR_LOG &lt;FichierJournalVeldor&gt;]

  &lt;FichiersSources&gt;         : fichiers source OTD ou OTC (.otd, .stb, .dcl ou .otc).
  &lt;CodeGénéré&gt;              : C++.
  &lt;FichierGénéré&gt;           : nom du fichier source généré (.cc).
  &lt;FichierInstrumentation&gt;  : nom du fichier d'instrumentation (.oti).
  &lt;FichierDynamique&gt;        : nom du fichier dynamique (.tdf).
  &lt;NombreErreurs&gt;           : nombre maximal d'erreurs permises.
  &lt;FichierJournalVeldor&gt;    : nom du fichier journal Veldor (.log).

</translation>
    </message>
</context>
</TS>
