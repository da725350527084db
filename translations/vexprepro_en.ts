<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>VEX Error</name>
    <message>
        <source>info:</source>
        <translation>info:</translation>
    </message>
    <message>
        <source>warning:</source>
        <translation>warning:</translation>
    </message>
    <message>
        <source>error:</source>
        <translation>error:</translation>
    </message>
    <message>
        <source>fatal:</source>
        <translation>fatal:</translation>
    </message>
    <message>
        <source>lexical error:</source>
        <translation>lexical error:</translation>
    </message>
    <message>
        <source>syntax error:</source>
        <translation>syntax error:</translation>
    </message>
    <message>
        <source>semantic error:</source>
        <translation>semantic error:</translation>
    </message>
    <message>
        <source>internal error: %1</source>
        <translation>internal error: %1</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>out of memory</translation>
    </message>
    <message>
        <source>Not enough memory to allocate another token.</source>
        <translation>Not enough memory to allocate another token.</translation>
    </message>
    <message>
        <source>Not enough memory to reallocate the token `%1'.</source>
        <translation>Not enough memory to reallocate the token `%1'.</translation>
    </message>
    <message>
        <source>Not enough memory to create the token `%1'.</source>
        <translation>Not enough memory to create the token `%1'.</translation>
    </message>
    <message>
        <source>Not enough memory to create the token `%1 %2'.</source>
        <translation>Not enough memory to create the token `%1 %2'.</translation>
    </message>
    <message>
        <source>Not enough memory to create the hash token `%1'.</source>
        <translation>Not enough memory to create the hash token `%1'.</translation>
    </message>
    <message>
        <source>Not enough memory to create the hash token `%1 %2'.</source>
        <translation>Not enough memory to create the hash token `%1 %2'.</translation>
    </message>
    <message>
        <source>Error while seeking in the file before `%1'.</source>
        <translation>Error while seeking in the file before `%1'.</translation>
    </message>
    <message>
        <source>The use of `%1' is not allowed here.</source>
        <translation>The use of `%1' is not allowed here.</translation>
    </message>
    <message>
        <source>`%1' expected instead of `%2'.</source>
        <translation>`%1' expected instead of `%2'.</translation>
    </message>
    <message>
        <source>`%1' or '%2' expected instead of `%3'.</source>
        <translation>`%1' or '%2' expected instead of `%3'.</translation>
    </message>
    <message>
        <source>`%1', '%2' or '%3' expected instead of `%4'.</source>
        <translation>`%1', '%2' or '%3' expected instead of `%4'.</translation>
    </message>
    <message>
        <source>Correct native expression expected.</source>
        <translation>Correct native expression expected.</translation>
    </message>
    <message>
        <source>`%1', '%2', '%3', or '%4' expected instead of `%5'.</source>
        <translation>`%1', '%2', '%3', or '%4' expected instead of `%5'.</translation>
    </message>
    <message>
        <source>`%1' name expected instead of `%2'.</source>
        <translation>`%1' name expected instead of `%2'.</translation>
    </message>
    <message>
        <source>`%1' or '%2' name expected instead of `%3'.</source>
        <translation>`%1' or '%2' name expected instead of `%3'.</translation>
    </message>
    <message>
        <source>`%1', '%2' or '%3' name expected instead of `%4'.</source>
        <translation>`%1', '%2' or '%3' name expected instead of `%4'.</translation>
    </message>
    <message>
        <source>`%1' expression expected instead of `%2'.</source>
        <translation>`%1' expression expected instead of `%2'.</translation>
    </message>
    <message>
        <source>`%1' is not %2 component.</source>
        <translation>`%1' is not %2 component.</translation>
    </message>
    <message>
        <source>%1 `%2' not expected.</source>
        <translation>%1 `%2' not expected.</translation>
    </message>
    <message>
        <source>Cannot create list of parameters `(%1)'.</source>
        <translation>Cannot create list of parameters `(%1)'.</translation>
    </message>
    <message>
        <source>`%1' not expected now.</source>
        <translation>`%1' not expected now.</translation>
    </message>
    <message>
        <source>The %1 component is already defined in this block.</source>
        <translation>The %1 component is already defined in this block.</translation>
    </message>
    <message>
        <source>The %1 component `%2' is already defined in this block.</source>
        <translation>The %1 component `%2' is already defined in this block.</translation>
    </message>
    <message>
        <source>Unable to resolve the %1 `%2'.</source>
        <translation>Unable to resolve the %1 `%2'.</translation>
    </message>
    <message>
        <source>The TEST CLASS `%1' could not inherit from itself.</source>
        <translation>The TEST CLASS `%1' could not inherit from itself.</translation>
    </message>
    <message>
        <source>Component `%1' not found, while resolving `%2'.</source>
        <translation>Component `%1' not found, while resolving `%2'.</translation>
    </message>
    <message>
        <source>Too %1 parameters in `%2'.</source>
        <translation>Too %1 parameters in `%2'.</translation>
    </message>
    <message>
        <source>`%1' must be a brother of `%2' while resolving `%3'.</source>
        <translation>`%1' must be a brother of `%2' while resolving `%3'.</translation>
    </message>
    <message>
        <source>The file `%1' has already been included.</source>
        <translation>The file `%1' has already been included.</translation>
    </message>
    <message>
        <source>While resolving the TEST CLASS `%1', an inheritance cycle was found in `%2' .</source>
        <translation>While resolving the TEST CLASS `%1', an inheritance cycle was found in `%2' .</translation>
    </message>
    <message>
        <source>While resolving the RUN of `%1', an execution cycle was found.</source>
        <translation>While resolving the RUN of `%1', an execution cycle was found.</translation>
    </message>
    <message>
        <source>While resolving the CALL of `%1', a PROC cycle was found.</source>
        <translation>While resolving the CALL of `%1', a PROC cycle was found.</translation>
    </message>
    <message>
        <source>The reflexive transition `%1' is not allowed (automatically generated).</source>
        <translation>The reflexive transition `%1' is not allowed (automatically generated).</translation>
    </message>
    <message>
        <source>Not enough memory to reallocate the buffer `%1'.</source>
        <translation>Not enough memory to reallocate the buffer `%1'.</translation>
    </message>
    <message>
        <source>Cannot open `%1'.</source>
        <translation>Cannot open `%1'.</translation>
    </message>
    <message>
        <source>Cannot create `%1'.</source>
        <translation>Cannot create `%1'.</translation>
    </message>
    <message>
        <source>Cannot close `%1'.</source>
        <translation>Cannot close `%1'.</translation>
    </message>
    <message>
        <source>Cannot initialize internal form.</source>
        <translation>Cannot initialize internal form.</translation>
    </message>
    <message>
        <source>Error while building %1 `%2' node.</source>
        <translation>Error while building %1 `%2' node.</translation>
    </message>
    <message>
        <source>Not enough memory to allocate filename `%1'.</source>
        <translation>Not enough memory to allocate filename `%1'.</translation>
    </message>
    <message>
        <source>Unknown token `%1' in internal form.</source>
        <translation>Unknown token `%1' in internal form.</translation>
    </message>
    <message>
        <source>Trying to resolve a NULL pointer.</source>
        <translation>Trying to resolve a NULL pointer.</translation>
    </message>
    <message>
        <source>Not enough free memory available.</source>
        <translation>Not enough free memory available.</translation>
    </message>
    <message>
        <source>Label `%1' not found.</source>
        <translation>Label `%1' not found.</translation>
    </message>
    <message>
        <source>Cannot open `%1', too many files open.</source>
        <translation>Cannot open `%1', too many files open.</translation>
    </message>
    <message>
        <source>Too many errors.</source>
        <translation>Too many errors.</translation>
    </message>
    <message>
        <source>Cannot open `%1', not a correct Object Testing source file.</source>
        <translation>Cannot open `%1', not a correct Object Testing source file.</translation>
    </message>
    <message>
        <source>Cannot open `%1', only one OTD source file must be passed on the command line.</source>
        <translation>Cannot open `%1', only one OTD source file must be passed on the command line.</translation>
    </message>
    <message>
        <source>`%1' is not a good parameter for the `%2' option.</source>
        <translation>`%1' is not a good parameter for the `%2' option.</translation>
    </message>
    <message>
        <source>One argument is needed for the `%1' option.</source>
        <translation>One argument is needed for the `%1' option.</translation>
    </message>
    <message>
        <source>The maximum number of errors can range from 1 to 30000.</source>
        <translation>The maximum number of errors can range from 1 to 30000.</translation>
    </message>
    <message>
        <source>OTD or OTC source files must be specified on the command line.</source>
        <translation>OTD or OTC source files must be specified on the command line.</translation>
    </message>
    <message>
        <source>The `%1' option must be specified.</source>
        <translation>The `%1' option must be specified.</translation>
    </message>
    <message>
        <source>The `%1' option must be specified only once.</source>
        <translation>The `%1' option must be specified only once.</translation>
    </message>
    <message>
        <source>(unexpected error)</source>
        <translation>(unexpected error)</translation>
    </message>
    <message>
        <source>%1 message : %2 Error(s) detected
</source>
        <translation>%1 message : %2 Error(s) detected
</translation>
    </message>
</context>
<context>
    <name>VEX Error Parameter</name>
    <message>
        <source>an `OTD script'</source>
        <translation>an `OTD script'</translation>
    </message>
    <message>
        <source>an `OTC script'</source>
        <translation>an `OTC script'</translation>
    </message>
    <message>
        <source>a `TEST CLASS'</source>
        <extracomment>TEST CLASS is keyword, do not translate</extracomment>
        <translation>a `TEST CLASS'</translation>
    </message>
    <message>
        <source>a `TEST SUITE'</source>
        <extracomment>TEST SUITE is keyword please do not translate</extracomment>
        <translation>a `TEST SUITE'</translation>
    </message>
    <message>
        <source>a `TEST CASE'</source>
        <extracomment>TEST CASE is keyword please do not translate</extracomment>
        <translation>a `TEST CASE'</translation>
    </message>
    <message>
        <source>a `PROLOGUE'</source>
        <extracomment>PROLOGUE is keyword; do not translate</extracomment>
        <translation>a `PROLOGUE'</translation>
    </message>
    <message>
        <source>an `EPILOGUE'</source>
        <extracomment>EPILOGUE is keyword; do not translate</extracomment>
        <translation>an `EPILOGUE'</translation>
    </message>
    <message>
        <source>a `PROPERTY'</source>
        <extracomment>PROPERTY is a keyword ; do not translate</extracomment>
        <translation>a `PROPERTY'</translation>
    </message>
    <message>
        <source>a `PROC'</source>
        <extracomment>PROC is a keyword; do not translate</extracomment>
        <translation>a `PROC'</translation>
    </message>
    <message>
        <source>a `RUN'</source>
        <extracomment>RUN is a keyword; do not translate</extracomment>
        <translation>a `RUN'</translation>
    </message>
    <message>
        <source>a `STUB'</source>
        <extracomment>STUB is a keyword; do not translate</extracomment>
        <translation>a `STUB'</translation>
    </message>
    <message>
        <source>a `CHECK EXCEPTION'</source>
        <extracomment>CHECK EXCEPTION is keyword; do not translate</extracomment>
        <translation>a `CHECK EXCEPTION'</translation>
    </message>
    <message>
        <source>a `CHECK STUB'</source>
        <extracomment>CHECKSTUB is keyword; do not translate</extracomment>
        <translation>a `CHECK STUB'</translation>
    </message>
    <message>
        <source>an `ON ERROR'</source>
        <extracomment>ON ERROR is a keyword; do not translate</extracomment>
        <translation>an `ON ERROR'</translation>
    </message>
    <message>
        <source>(actual parameters list)</source>
        <translation>(actual parameters list)</translation>
    </message>
    <message>
        <source>( Exception Signature )</source>
        <translation>( Exception Signature )</translation>
    </message>
    <message>
        <source>a `CLASS'</source>
        <extracomment>CLASS is a keyword; do not translate</extracomment>
        <translation>a `CLASS'</translation>
    </message>
    <message>
        <source>a `UML STATE'</source>
        <extracomment>UML STATE is a keyword; do not translate</extracomment>
        <translation>a `UML STATE'</translation>
    </message>
    <message>
        <source>inheritance of</source>
        <translation>inheritance of</translation>
    </message>
    <message>
        <source>calling of</source>
        <translation>calling of</translation>
    </message>
    <message>
        <source>checking of</source>
        <translation>checking of</translation>
    </message>
    <message>
        <source>checking</source>
        <translation>checking</translation>
    </message>
    <message>
        <source>transition from</source>
        <translation>transition from</translation>
    </message>
    <message>
        <source>transition to</source>
        <translation>transition to</translation>
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

</translation>
    </message>
</context>
</TS>
