/* Transporte: fábricas abastecem lojas ao menor custo (dados em transporte.dat). */
set F;
set L;
param oferta{F};
param demanda{L};
param custo{F, L};
var x{F, L} >= 0;
minimize total: sum{f in F, l in L} custo[f, l] * x[f, l];
s.t. sai{f in F}: sum{l in L} x[f, l] <= oferta[f];
s.t. chega{l in L}: sum{f in F} x[f, l] >= demanda[l];
end;
