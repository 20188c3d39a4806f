# Writes apiclus2.csv (the columns the direct-estimate tests use, from R's survey
# package) and prints the reference figures those tests hold as constants.
# Run: Rscript apiclus2_reference.R   (needs R and its survey package)
suppressMessages(library(survey))
data(api)
d <- apiclus2[, c("dnum", "cname", "stype", "api00", "enroll", "pw")]
write.csv(d, "apiclus2.csv", row.names = FALSE, na = "")
options(digits = 15, survey.lonely.psu = "adjust")
z <- 700
clusters <- svydesign(id = ~dnum, weights = ~pw, data = d)
twostage <- svydesign(id = ~dnum + snum, weights = ~pw, data = apiclus2)
show <- function(label, x) { cat(label, "\n"); print(cbind(coef(x), SE(x))) }
show("mean api00 by stype, id=~dnum", svyby(~api00, ~stype, clusters, svymean))
show("mean api00 by stype, id=~dnum+snum", svyby(~api00, ~stype, twostage, svymean))
show("mean api00, whole sample", svymean(~api00, clusters))
show("fgt0 by stype", svyby(~I(as.numeric(api00 < z)), ~stype, clusters, svymean))
show("fgt1 by stype", svyby(~I(pmax(0, (z - api00) / z)), ~stype, clusters, svymean))
show("fgt2 by stype", svyby(~I(pmax(0, (z - api00) / z)^2), ~stype, clusters, svymean))
show("mean api00 by dnum %/% 100", svyby(~api00, ~I(dnum %/% 100), clusters, svymean))
show("per-enrolled-pupil mean api00 by stype (enroll missing dropped)",
     svyby(~I(api00 * enroll), ~stype, denominator = ~enroll, clusters, svyratio,
           na.rm = TRUE))
show("mean api00 by stype, schools with api00 >= 600",
     svyby(~api00, ~stype, subset(clusters, api00 >= 600), svymean))
strata <- svydesign(id = ~dnum, strata = ~cname, weights = ~pw, data = d)
show("mean api00 by stype, strata cname, lonely PSUs adjusted",
     svyby(~api00, ~stype, strata, svymean))
show("fgt0 by stype, strata cname",
     svyby(~I(as.numeric(api00 < z)), ~stype, strata, svymean))
