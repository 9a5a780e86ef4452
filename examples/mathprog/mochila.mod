/* Mochila: escolher os itens que valem mais sem passar da capacidade. */
set I;
param valor{I};
param peso{I};
param capacidade;
var leva{I} binary;
maximize total: sum{i in I} valor[i] * leva[i];
s.t. cabe: sum{i in I} peso[i] * leva[i] <= capacidade;
data;
set I := lanterna barraca fogareiro saco corda;
param valor := lanterna 10 barraca 13 fogareiro 7 saco 8 corda 4;
param peso := lanterna 2 barraca 9 fogareiro 4 saco 5 corda 1;
param capacidade := 15;
end;
