PROGRAM Bonjour;
BEGIN
  WRITELN('Bonjour');
END.
